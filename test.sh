#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both executables, runs the
# suites under Wine on a private X display, and ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
./scripts/build.sh
source scripts/wine-env.sh
trap wine_env_stop EXIT
ctest --test-dir build/win64 --output-on-failure
