# Sourced by the run, test and screenshot scripts: a private Wine prefix set up
# like a workstation (fonts, no window-manager stalls) and an X display.
#   WINE_ENV_PREFIX  prefix folder (default: build/wineprefix)
WINEPREFIX=${WINE_ENV_PREFIX:-$PWD/build/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# An X server of our own unless one is given.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  exec {xfd}<> <(:)
  Xvfb -displayfd "$xfd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  WINE_ENV_XVFB=$!
  read -r -t 20 xnum <&"$xfd" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$xnum"
fi

wine_env_setup_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Faces close to the ones the window asks for.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  local subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  wine reg add "$subst" /v "MS Sans Serif" /t REG_SZ /d Tahoma /f >/dev/null 2>&1
  wine reg add "$subst" /v Calibri /t REG_SZ /d Carlito /f >/dev/null 2>&1
  # Wine draws the frames itself: no 2 s stall when a window is hidden.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.ready"
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  [ -n "${WINE_ENV_XVFB:-}" ] && kill "$WINE_ENV_XVFB" 2>/dev/null || true
}

wine_env_setup_prefix
wineserver -p >/dev/null 2>&1 || true  # already running
# Start Wine's background services now, detached from any output pipe: started
# by a later program they would inherit its pipes and keep them open.
wine cmd /c exit </dev/null >/dev/null 2>&1
