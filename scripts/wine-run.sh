#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and without a display:
#
#   scripts/wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
#
# PREFIX is the Wine prefix to use; it is made on first use (under a lock, so
# that programs started side by side do not make it twice). With no display,
# the program's message boxes cannot be shown and it writes its messages to
# standard error instead.
set -euo pipefail
prefix="$1"
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      wineboot --init >"$prefix.log" 2>&1 || { cat "$prefix.log" >&2; exit 1; }
      wineserver --wait
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"
