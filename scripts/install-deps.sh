#!/usr/bin/env bash
# Installs the Debian 12 packages Kalvor needs to build, test and run.
# Idempotent: prints nothing and installs nothing when every package is present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libsdl2-dev libsndfile1-dev libmp3lame-dev lame
  libminizip-dev zlib1g-dev libkissfft-dev
  libxcb1-dev libxcb-keysyms1-dev
  libespeak-ng-dev espeak-ng
  libgtest-dev googletest
  fonts-wqy-microhei
  xvfb xdotool x11-utils
  sox libsox-fmt-mp3 zip unzip
  imagemagick
  desktop-file-utils appstream
  clang libclang-rt-14-dev
)
# Only for the end-to-end desktop test (tests/e2e), installed by `install-deps.sh --e2e`: a window
# manager, a sound server and its tools. Kept out of the list above because pulseaudio would
# replace the PipeWire sound server of a desktop that runs ./run.
E2E_PACKAGES=(openbox wmctrl pulseaudio pulseaudio-utils)
if [ "${1:-}" = "--e2e" ]; then
  PACKAGES+=("${E2E_PACKAGES[@]}")
fi
if [ -n "${KALVOR_EXTRA_PACKAGES:-}" ]; then
  read -r -a extra <<<"$KALVOR_EXTRA_PACKAGES"
  PACKAGES+=("${extra[@]}")
fi

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
