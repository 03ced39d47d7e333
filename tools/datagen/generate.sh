#!/bin/sh
# Builds the data generator and rewrites every generated file of data/.
# Usage: tools/datagen/generate.sh [build-dir]   (default: <repo>/build-data)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${1:-$repo/build-data}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target datagen
mkdir -p "$build/xdg" && chmod 700 "$build/xdg"
XDG_RUNTIME_DIR="$build/xdg" QT_QPA_PLATFORM=offscreen "$build/datagen" "$repo/data"
