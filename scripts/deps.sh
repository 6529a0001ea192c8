#!/usr/bin/env bash
# Installs the cross toolchain, Wine and the X server the build and tests need.
# Idempotent: returns at once when everything is already there.
set -euo pipefail
need=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb googletest cmake ninja-build imagemagick x11-utils
      fonts-wine fonts-liberation fonts-crosextra-carlito)
[ "${1:-}" = "--render" ] && need+=(libreoffice-writer-nogui poppler-utils)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# wine64 recommends wine32:i386, which cannot run on this kernel and breaks the wine wrapper.
apt-get install -y -qq -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}" >/dev/null
