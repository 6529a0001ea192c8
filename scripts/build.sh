#!/usr/bin/env bash
# Builds the installer and its tests for both architectures:
# build/win32 (i686, the shipped program) and build/win64 (x86_64, run here).
set -euo pipefail
cd "$(dirname "$0")/.."
for arch in win32:i686 win64:x86_64; do
  dir=build/${arch%%:*}
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/${arch##*:}-w64-mingw32.cmake" >/dev/null
  fi
  if ! cmake --build "$dir" >"$dir/build.log" 2>&1; then
    grep -vE '^\[[0-9]+/[0-9]+\] ' "$dir/build.log" >&2
    echo "build of $dir failed" >&2
    exit 1
  fi
  grep -E 'warning:' "$dir/build.log" >&2 || true
done
