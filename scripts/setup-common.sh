# Shared by scripts/run and scripts/test: installs the Debian packages the build needs
# when they are missing, then configures and builds into build/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

PACKAGES=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev qt6-multimedia-dev
  libxkbcommon-dev fonts-dejavu-core
  # "Times New Roman" and "Arial" of the splash and the notices, with their own metrics
  fonts-liberation
  libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick
  # checks the installed menu entry
  desktop-file-utils
  # the Debian package: the libraries it needs (dpkg-shlibdeps); the file type's check
  dpkg-dev shared-mime-info
  # Qt's own dialogs in French; pdftoppm to look at printed pages in the tests
  qt6-translations-l10n poppler-utils
  # the locale sources from which the readout tests build a French C locale
  locales
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$BUILD" --parallel "$(nproc)"
}
