#!/usr/bin/env bash
# Runs install_test's disk-full case over a small tmpfs of its own, so that a
# template write really runs out of room.
#   diskfull_test.sh TEST_EXE [EMULATOR...]
# Exits 77 (reported as skipped) when no tmpfs can be mounted here.
set -u
exe=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/inst-diskfull.XXXXXX")
cleanup() {
  umount "$dir" 2>/dev/null || umount -l "$dir" 2>/dev/null
  rmdir "$dir" 2>/dev/null
}
trap cleanup EXIT
if ! err=$(mount -t tmpfs -o size=256k,mode=0777 tmpfs "$dir" 2>&1); then
  echo "diskfull_test skipped: cannot mount a tmpfs at $dir: $err"
  exit 77
fi
INSTALL_TEST_TMPFS=$dir "$@" "$exe" --gtest_filter='Install.DiskFull*'
