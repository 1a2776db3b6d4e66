#!/usr/bin/env bash
# Runs a Windows test program under Wine, as CTest's emulator for the Windows edition:
#   wine-run.sh STATE_DIR PROGRAM.exe [ARGUMENTS...]
# STATE_DIR (in the build folder) holds the build's own Wine prefix, made on first use (which takes
# a few seconds) and kept, and the test sound server of sound-server.sh when one runs. Programs
# run with the ANSI code page 936 (LANG=zh_CN.UTF-8), so the A functions speak GBK as on a Chinese
# Windows, and with Wine's PulseAudio driver, pointed at the test sound server when there is one.
# Chinese captions show in WenQuanYi Micro Hei, which stands in for the fonts the forms name.
set -euo pipefail
state=$1
shift
mkdir -p "$state"
state=$(cd "$state" && pwd)

export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# No Mono or Gecko installers: tests need neither .NET nor a browser engine.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Windows need an X display: the one KALVOR_WINE_DISPLAY names (a test session's Xvfb), else the
# one x-display.sh runs for this state folder, and no display at all otherwise, so that nothing
# shows on the caller's desktop.
display=${KALVOR_WINE_DISPLAY:-}
if [ -z "$display" ] && [ -f "$state/display" ]; then
  display=$(cat "$state/display")
fi
if [ -n "$display" ]; then
  export DISPLAY=$display
  unset WAYLAND_DISPLAY
else
  unset DISPLAY WAYLAND_DISPLAY
fi

# Wine takes the ANSI code page from LANG, but names Unix files through the C library's locale:
# without a Chinese UTF-8 locale every Chinese file name fails. Where the system has not generated
# one, the build makes its own from the locale sources (Debian's "locales").
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
  export LOCPATH="$state/locale"
fi

ready="$WINEPREFIX/.kalvor-ready-2"
if [ ! -f "$ready" ] || { [ -n "${LOCPATH:-}" ] && [ ! -f "$LOCPATH/.ready" ]; }; then
  # Tests running side by side wait for the one that makes the prefix and the locale.
  exec 8>"$state/prefix.lock"
  flock 8
  if [ -n "${LOCPATH:-}" ] && [ ! -f "$LOCPATH/.ready" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" >/dev/null 2>&1 ||
      { echo "wine-run.sh: cannot make the zh_CN.UTF-8 locale" >&2; exit 1; }
    touch "$LOCPATH/.ready"
  fi
  if [ ! -f "$ready" ]; then
    rm -rf "$WINEPREFIX"
    (
      unset DISPLAY
      wineboot --init >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d pulse /f >/dev/null 2>&1
      for font in 宋体 SimSun 新宋体 NSimSun; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
          /v "$font" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
      done
      wineserver --wait
    )
    touch "$ready"
  fi
  exec 8>&-
fi

if [ -f "$state/sound/env" ]; then
  # shellcheck source=/dev/null
  . "$state/sound/env"
  export PULSE_SERVER KALVOR_TEST_TAPE
else
  # Without the test sound server, no sound server of the caller's session either.
  export PULSE_SERVER="unix:$state/no-sound-server"
fi
exec wine "$@"
