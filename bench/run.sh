#!/usr/bin/env bash
# Start-up time against a minimal window program, and the size of the shipped exe.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh
WINE_ENV_PREFIX=${WINE_ENV_PREFIX:-$PWD/build/bench-prefix}
source scripts/wine-env.sh
trap wine_env_stop EXIT
b=build/win64/bench
wine "$b/bench_startup.exe" "${RUNS:-21}" build/win64/Instalator.exe "$b/bench_minimal.exe"
size=$(stat -c %s build/win32/Instalator.exe)
base=$(stat -c %s build/win32/bench/bench_minimal.exe)
payload=$( (cat resources/payloads/*.rtf 2>/dev/null || true) | wc -c)
echo "i686 Instalator.exe: $((size / 1024)) KB (payloads $((payload / 1024)) KB, minimal window $((base / 1024)) KB; target <= 350 KB)"
