#!/bin/sh
# An installed copy, run by a user who cannot write to its prefix: `cmake --install` into
# a temporary prefix outside PATH whose name needs quoting, the prefix made read-only (or,
# for the superuser, whom permission bits do not stop, the program run as "nobody"), then
# two starts by the command of its menu entry. The first one finds its data under share/,
# seeds its settings file in the user's configuration folder and names that folder in
# line 45; the second one starts from the file the first one left.
#   installed_copy.sh <build folder> <cmake>
set -eu
build=$1
cmake=$2

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
chmod 755 "$work"

prefix="$work/pré fixe"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for f in bin/oscilloscope bin/oscilloscope-capture share/man/man1/oscilloscope-capture.1.gz \
         share/mime/packages/oscilloscope-acquisition.xml \
         share/oscilloscope/aide.hlp share/oscilloscope/parametres.inf \
         share/oscilloscope/ledon.bmp share/oscilloscope/oscilloscope.png \
         share/applications/oscilloscope.desktop \
         share/icons/hicolor/scalable/apps/oscilloscope.svg \
         share/icons/hicolor/128x128/apps/oscilloscope.png; do
    [ -e "$prefix/$f" ] || fail "$f is not installed"
done
desktop=$prefix/share/applications/oscilloscope.desktop
grep -qx 'Name=Oscilloscope Numérique à mémoire' "$desktop" || fail "desktop entry: name"
grep -qx 'Categories=Science;Electronics;' "$desktop" || fail "desktop entry: categories"
grep -qx 'Icon=oscilloscope' "$desktop" || fail "desktop entry: icon"
# The menu entry names the installed program itself, quoted since its path holds a space.
grep -qxF "Exec=\"$prefix/bin/oscilloscope\"" "$desktop" || fail "desktop entry: $(grep ^Exec= "$desktop")"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi
# The command of the entry, unquoted as a menu does (the quoting rules are the shell's
# double quotes); the starts below run it with a PATH that does not hold the prefix.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
eval "set -- $exec_line"
[ $# -eq 1 ] && [ "$1" = "$prefix/bin/oscilloscope" ] || fail "desktop entry: the command is not the program"

# A headless screen as large as a real one (the default one is smaller than the program
# accepts).
screen=$work/screen.json
cat > "$screen" <<'JSON'
{ "screens": [ { "name": "ecran", "x": 0, "y": 0, "width": 1280, "height": 1024,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
chmod 644 "$screen"

home=$work/home
config=$home/config
runtime=$home/runtime
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"
chmod -R a-w "$prefix"
if [ "$(id -u)" = 0 ]; then
    chown -R nobody "$home"
    as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups --"
    # The user cannot write to the prefix.
    if setpriv --reuid=nobody --regid=nogroup --clear-groups -- touch "$prefix/bin/x" 2>/dev/null; then
        fail "the prefix can be written"
    fi
else
    as_user=
fi

settings=$config/oscilloscope/parametres.inf
line() { sed -n "${1}p" "$settings" | tr -d '\r'; }

# Starts the installed program by the command of its menu entry ("$@"), headless, as the
# user, in the background.
start() {
    $as_user env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" \
        XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM="offscreen:configfile=$screen" \
        "$@" &
    pid=$!
}
# Waits up to $2 seconds for the shell condition $1.
wait_for() {
    i=0
    while ! eval "$1"; do
        kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for: $1"
        i=$((i + 1))
        [ $i -le $(($2 * 5)) ] || fail "timed out waiting for: $1"
        sleep 0.2
    done
}
stop() {
    kill -0 "$pid" 2>/dev/null || fail "the program is not running"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}

# First start: the file is seeded, line 45 names the configuration folder, and start-up
# runs through its splash to the end (the program is still serving afterwards). Line 45
# is saved before the splash, the reset of line 20 after it: the line changed meanwhile
# comes back to "12" when the splash is over.
start "$@"
wait_for '[ -f "$settings" ] && [ "$(line 45)" = "$config/oscilloscope/" ]' 60
grep -q 'PERIPHERIQUE_ON' "$settings" || fail "the settings were not seeded from the factory file"
$as_user sed -i '20s/.*/5\r/' "$settings"
wait_for '[ "$(line 20)" = "12" ]' 90
stop
[ "$(wc -l < "$settings")" -eq 50 ] || fail "the settings file does not hold 50 lines"

# Second start: it reads what the first one left. Line 29 is never written by the
# program and line 20 is reset at the end of start-up.
sed -i '29s/.*/retrouvé\r/; 20s/.*/5\r/' "$settings"
[ "$(id -u)" = 0 ] && chown nobody "$settings"
start "$@"
wait_for '[ "$(line 20)" = "12" ]' 90
[ "$(line 29)" = "retrouvé" ] || fail "the second start did not read the user's file"
[ "$(line 45)" = "$config/oscilloscope/" ] || fail "line 45 does not name the configuration folder"
stop
echo "installed copy: settings in $config/oscilloscope, found again by the second start"
