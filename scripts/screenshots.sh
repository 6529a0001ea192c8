#!/usr/bin/env bash
# Screenshots of the three pages under Wine's virtual desktop (so the frame and
# title bar are drawn), against the demo host: docs/page1.png .. page3.png.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh
export WINE_ENV_PREFIX=$PWD/build/shots-prefix
unset DISPLAY
source scripts/wine-env.sh
trap wine_env_stop EXIT
source scripts/demo-host.sh
# Every program of this prefix runs in one virtual desktop, the driver too.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 760x300 /f >/dev/null 2>&1

drv() { wine build/win64/tests/driver/wizdrv.exe "$@"; }
shot() {
  sleep 1
  import -window root -crop 760x300+0+0 "docs/$1.png"
  echo "docs/$1.png"
}
wine build/win64/Instalator.exe &
sleep 3
drv --timeout 20 text StaticText2 >/dev/null
shot page1
drv click BitBtn2 >/dev/null
shot page2
drv click BitBtn2 >/dev/null
shot page3
drv click BitBtn4 wait-exit >/dev/null
wait
