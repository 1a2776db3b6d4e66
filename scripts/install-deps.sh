#!/usr/bin/env bash
# Installs the Debian 12 packages Kalvor needs to build, test and run.
# Idempotent: prints nothing and installs nothing when every package is present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libsdl2-dev libsndfile1-dev libmp3lame-dev lame libpulse-dev
  libminizip-dev zlib1g-dev libkissfft-dev
  libxcb1-dev libxcb-keysyms1-dev libxcb-xtest0-dev
  libespeak-ng-dev espeak-ng
  libgtest-dev googletest
  fonts-wqy-microhei
  xvfb xdotool x11-utils
  dbus-daemon
  # A window manager for the tests that drive the board with real input on a private X server.
  openbox
  sox libsox-fmt-mp3 zip unzip
  imagemagick
  desktop-file-utils appstream
  clang libclang-rt-14-dev
  # The locale sources: a test makes a German locale of its own with localedef.
  locales
  # Sound servers the tests start themselves, headless, on private sockets (see below): PulseAudio,
  # and PipeWire with its session manager and PulseAudio server, run in a private D-Bus session.
  pulseaudio pulseaudio-utils
  pipewire pipewire-pulse wireplumber dbus-daemon
)
# Only for the end-to-end desktop test (tests/e2e), installed by `install-deps.sh --e2e`: a tool
# to close windows through the window manager.
E2E_PACKAGES=(wmctrl)
# Only for the Windows edition, installed by `install-deps.sh --windows` (./test asks for them):
# the mingw-w64 cross compilers and their zlib, the installer builder, and Wine with GStreamer's
# plug-ins, through which Wine's Media Foundation decodes FLAC. Its tests run in the Chinese locale
# (made by the tests themselves, from the locale sources above) and play into a PulseAudio server
# of their own; those that use the windows close them through the window manager (wmctrl).
WINDOWS_PACKAGES=(
  gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  nsis
  wine wine64 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  wmctrl
)
# For the benchmarks that run the real program on private desktops (bench/latency, bench/idle),
# installed by `install-deps.sh --bench`: the above, and PipeWire with its pulse layer and a
# session bus to run it on.
BENCH_PACKAGES=("${E2E_PACKAGES[@]}" pipewire pipewire-pulse wireplumber dbus-bin)
for option in "$@"; do
  case $option in
    --e2e) PACKAGES+=("${E2E_PACKAGES[@]}") ;;
    --windows) PACKAGES+=("${WINDOWS_PACKAGES[@]}") ;;
    --bench) PACKAGES+=("${BENCH_PACKAGES[@]}") ;;
    *)
      echo "usage: $0 [--e2e] [--windows] [--bench]" >&2
      exit 2
      ;;
  esac
done
if [ -n "${KALVOR_EXTRA_PACKAGES:-}" ]; then
  read -r -a extra <<<"$KALVOR_EXTRA_PACKAGES"
  PACKAGES+=("${extra[@]}")
fi

installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]; }

missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# PulseAudio and PipeWire's PulseAudio server install side by side (dpkg knows no conflict between
# them), but a desktop session runs one of them: each ships per-user units that start it at login,
# and two would race for the session's PulseAudio socket. The tests start the servers themselves,
# headless, so a sound server this script installs has its start at login masked: installing for
# the tests never changes which server a desktop session runs.
# PipeWire itself and its session manager go with pipewire-pulse: on a PulseAudio desktop they
# would otherwise start at login too and take the sound cards.
declare -A SESSION_UNITS=(
  [pulseaudio]="pulseaudio.service pulseaudio.socket"
  [pipewire-pulse]="pipewire-pulse.service pipewire-pulse.socket"
  [pipewire]="pipewire.service pipewire.socket"
  [wireplumber]="wireplumber.service"
)
keep_from_sessions=()
for p in "${missing[@]}"; do
  [ -n "${SESSION_UNITS[$p]:-}" ] && keep_from_sessions+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

if [ ${#keep_from_sessions[@]} -gt 0 ] && command -v systemctl >/dev/null; then
  for server in "${keep_from_sessions[@]}"; do
    # shellcheck disable=SC2086  # the unit list splits into words
    $SUDO systemctl --global mask ${SESSION_UNITS[$server]} >/dev/null 2>&1 || true
    echo "$server is installed for the tests, which start it themselves: its start at login is masked"
  done
fi
