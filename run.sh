#!/usr/bin/env bash
# The installer's main job against a demo host installation: a private Wine
# prefix holding "C:\Program Files\Sondarix" with SZABLONY\ and a stand-in
# TARKOMIS.dll, and the registry value that points at it.
# With a display the real window opens for you to click through; without one
# the wizard is walked through by the project's driver, printing each page.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
./scripts/build.sh

interactive=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then interactive=1; fi
export WINE_ENV_PREFIX=$PWD/build/demo-prefix
source scripts/wine-env.sh
trap wine_env_stop EXIT

source scripts/demo-host.sh

if [ "$interactive" = 1 ]; then
  wine build/win64/Instalator.exe
else
  drv() { wine build/win64/tests/driver/wizdrv.exe "$@"; }
  echo "== Page 1"
  drv start build/win64/Instalator.exe text StaticText2
  echo; echo "== Next: page 2"
  drv click BitBtn2 text StaticText3
  echo; echo; echo "== Next: page 3"
  drv click BitBtn2 text StaticText6
  echo; echo "   progress line: [$(drv text StaticText4)]"
  echo; echo "== Zamknij."
  drv click BitBtn4 wait-exit
fi
echo
echo "== Files in $host/SZABLONY"
ls -l "$host/SZABLONY"
