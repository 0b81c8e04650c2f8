#!/usr/bin/env bash
# Runs a command with a private 64-bit Wine prefix and an Xvfb display:
#   scripts/with-wine.sh PREFIX_DIR COMMAND [ARGS...]
# The prefix is created on first use (about 13 s); one persistent wineserver serves the
# whole command, and it and Xvfb are stopped by their own PIDs afterwards. With
# OVALINK_SHOW=1 and a DISPLAY, windows appear on that display instead of a private Xvfb;
# with OVALINK_SHOW=1 and none, it says which display the windows are on. The display in
# use is kept in PREFIX_DIR.display while the command runs (scripts/quorsim-shot.sh reads it).
set -euo pipefail
prefix=$(realpath -m "$1"); shift
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

xvfb_pid=""
if [ "${OVALINK_SHOW:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  # A display of our own: Xvfb picks a free number and tells us through a pipe.
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r display <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$display"
  if [ "${OVALINK_SHOW:-0}" = 1 ]; then
    cat >&2 <<NOTE
No DISPLAY here: the windows are on the private X display $DISPLAY (1280x800).
  Look at them:  scripts/quorsim-shot.sh FILE.png     (a screenshot of that display)
  End it:        the tray menu's Exit, or Ctrl+C here (Wine and the display stop with it)
NOTE
  fi
fi

mkdir -p "$(dirname "$prefix")"
echo "$DISPLAY" >"$prefix.display"

cleanup() {
  rm -f "$prefix.display"
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" >/dev/null 2>&1 || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  "$wine" wineboot -i >/dev/null 2>&1
  # No crash dialog (it would hang a run), and no window-manager decoration or management
  # (without a window manager, hiding a managed window blocks for seconds).
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n"Managed"="N"\r\n' >"$reg"
  "$wine" regedit /s "$(winepath_w="$("$wine" winepath -w "$reg" 2>/dev/null)"; echo "$winepath_w" | tr -d '\r')" >/dev/null 2>&1
  rm -f "$reg"
  "$wineserver" -w
fi

"$wineserver" -p
"$@"
