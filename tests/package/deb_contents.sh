#!/bin/sh
# The Debian package, made as the README says (cpack -G DEB in the build folder), unpacked
# into a scratch root with dpkg-deb -x: its files, its control fields, the menu entry with
# the acquisition file's type, the type itself, the manual, and the capture run from the
# unpacked tree without a display, reading a recorded file.
#   deb_contents.sh <build folder> <cpack> <source folder>
set -eu
build=$1
cpack=$2
source=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && "$cpack" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack did not make the package"; }
deb=$(ls "$work"/package/*.deb)
[ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "not one package: $deb"
case "$(basename "$deb")" in
oscilloscope_*_*.deb) ;;
*) fail "package name: $(basename "$deb")" ;;
esac

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/oscilloscope usr/bin/oscilloscope-capture \
         usr/share/oscilloscope/parametres.inf usr/share/oscilloscope/aide.hlp \
         usr/share/oscilloscope/accueil.wav usr/share/oscilloscope/ledon.bmp \
         usr/share/oscilloscope/oscilloscope.png \
         usr/share/applications/oscilloscope.desktop \
         usr/share/icons/hicolor/scalable/apps/oscilloscope.svg \
         usr/share/icons/hicolor/128x128/apps/oscilloscope.png \
         usr/share/mime/packages/oscilloscope-acquisition.xml \
         usr/share/man/man1/oscilloscope-capture.1.gz; do
    [ -e "$root/$f" ] || fail "$f is not in the package"
done
[ -x "$root/usr/bin/oscilloscope-capture" ] || fail "the capture is not executable"
# Everything under /usr; nothing of the build machine's folders.
[ "$(ls "$root")" = "usr" ] || fail "files outside /usr: $(ls "$root")"
if grep -rl "$build" "$root/usr/share/applications" "$root/usr/share/mime" >/dev/null; then
    fail "the build folder is named in the package"
fi

# The control fields: the Qt libraries the executables load, the fonts.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = oscilloscope ] || fail "Package: $(field Package)"
depends=$(field Depends)
for d in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6charts6 \
         libqt6multimedia6 libqt6printsupport6 libqt6network6 fonts-dejavu-core; do
    echo "$depends" | grep -q "$d" || fail "Depends lacks $d: $depends"
done

# The menu entry starts the installed program and opens the acquisition files.
desktop=$root/usr/share/applications/oscilloscope.desktop
grep -qx 'Exec=/usr/bin/oscilloscope' "$desktop" || fail "desktop entry: $(grep ^Exec= "$desktop")"
grep -qx 'MimeType=application/x-oscilloscope-acquisition;' "$desktop" ||
    fail "desktop entry: no MimeType line"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
fi
# The type: by its extension and by its first bytes.
if command -v update-mime-database >/dev/null; then
    mime=$work/mime
    mkdir -p "$mime/packages"
    cp "$root/usr/share/mime/packages/oscilloscope-acquisition.xml" "$mime/packages/"
    update-mime-database "$mime" >/dev/null 2>&1 || fail "the type declaration is refused"
    grep -q 'application/x-oscilloscope-acquisition:\*\.oscacq' "$mime/globs2" ||
        fail "the type has no *.oscacq"
    grep -q 'OSCACQ' "$mime/magic" || fail "the type has no magic"
fi
zcat "$root/usr/share/man/man1/oscilloscope-capture.1.gz" | grep -q '^\.SH "CODES DE SORTIE"' ||
    fail "the manual has no exit statuses"

# The capture from the unpacked tree, without a display: its version, and a recording read.
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" "$@"; }
version=$(run "$root/usr/bin/oscilloscope-capture" --version)
[ "$version" = "oscilloscope-capture $(field Version)" ] || fail "version: $version"
lines=$(run "$root/usr/bin/oscilloscope-capture" --from "$source/tools/fuzz/seeds-acquisition/two_sweeps" \
    --quiet --csv - | wc -l)
[ "$lines" -eq 601 ] || fail "the packaged capture read $lines lines of CSV"
echo "package: $(basename "$deb"), $(dpkg-deb -c "$deb" | wc -l) entries"
