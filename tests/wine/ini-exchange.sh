#!/usr/bin/env bash
# The Linux and the Windows edition share one data.ini: each writes a file from nothing and then
# changes it as the other left it, and the other reads back what was written, both ways. The two
# files, made by different editions the same way, must then be the same bytes (GBK, CRLF).
#   ini-exchange.sh LINUX_PROGRAM WINDOWS_PROGRAM WINE_STATE_DIR WORK_DIR
set -euo pipefail
linux=$1
windows=$2
wine_state=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

on_linux() { "$linux" "$1" "$work/$2"; }
# Wine's drive Z: is the root of the Linux file system.
on_windows() { "$here/wine-run.sh" "$wine_state" "$windows" "$1" "Z:${work//\//\\}\\$2"; }
step() {
  echo "$*"
  "$@" || {
    echo "FAILED: $*"
    exit 1
  }
}

step on_linux write linux-first.ini
step on_windows check1 linux-first.ini
step on_windows update linux-first.ini
step on_linux check2 linux-first.ini

step on_windows write windows-first.ini
step on_linux check1 windows-first.ini
step on_linux update windows-first.ini
step on_windows check2 windows-first.ini

if ! cmp "$work/linux-first.ini" "$work/windows-first.ini"; then
  echo "FAILED: the two editions made different files"
  exit 1
fi
head -c 200 "$work/linux-first.ini" | grep -q $'\r\n' || {
  echo "FAILED: the file has no Windows line ends"
  exit 1
}
echo "both editions read and write the same data.ini"
