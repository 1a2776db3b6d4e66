#!/usr/bin/env bash
# Click-to-sound of the board, side by side with paplay of the same file and with the floor of
# the path (an open 5 ms stream switched from silence to a tone), on a headless PulseAudio null
# sink and on PipeWire (through its pulse layer), for every board binary given, in one run.
# Each board runs on an X server of its own (Xvfb + openbox) with its own home folder and F3
# bound to the applause, so a real click on "欢呼掌声" and a real F3 press reach only that board.
#
#   latency_bench [--rounds N] [--idle N] [--idle-seconds S] [--press-ms MS]
#                 [--servers pulseaudio,pipewire] [LABEL=]BOARD_BINARY...
# e.g. latency_bench before=/path/to/old/kalvor after=build/bin/kalvor
# Takes about (sources x rounds x 0.5 s + sources x idle x idle-seconds) per server.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Installed beside the probe in the build's bin folder; run from the source tree it finds both
# through KALVOR_BIN_DIR.
# shellcheck source-path=SCRIPTDIR source=../desktop/desktop_session.sh
if [ -f "$here/desktop_session.sh" ]; then
  source "$here/desktop_session.sh"
else
  source "$here/../desktop/desktop_session.sh"
fi
probe=${KALVOR_BIN_DIR:-$here}/latency_probe

rounds=15 idle=3 idle_seconds=10 press_ms=50 servers=pulseaudio,pipewire
labels=() binaries=()
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --idle-seconds) idle_seconds=$2; shift 2 ;;
    --press-ms) press_ms=$2; shift 2 ;;
    --servers) servers=$2; shift 2 ;;
    -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
    *=*) labels+=("${1%%=*}"); binaries+=("${1#*=}"); shift ;;
    *) labels+=("board$((${#labels[@]} + 1))"); binaries+=("$1"); shift ;;
  esac
done
[ ${#binaries[@]} -gt 0 ] || { sed -n '2,12p' "$0"; exit 2; }
[ -x "$probe" ] || session_fail "no latency_probe at $probe (build the latency_probe target)"
for binary in "${binaries[@]}"; do
  [ -x "$binary" ] || session_fail "$binary is not a program"
done
for tool in Xvfb openbox wmctrl xdotool xwininfo pactl parec pacat paplay iconv; do
  command -v "$tool" >/dev/null || session_fail "$tool is not installed (scripts/install-deps.sh --bench)"
done

session_begin latency
displays=()
for i in "${!binaries[@]}"; do
  start_display "board$i"
  displays+=("$display")
done

for i in "${!binaries[@]}"; do
  echo "${labels[i]}: $(realpath "${binaries[i]}")"
done
IFS=, read -r -a server_list <<<"$servers"
for server in "${server_list[@]}"; do
  case $server in
    pulseaudio) start_pulseaudio ;;
    pipewire) start_pipewire ;;
    *) session_fail "unknown sound server $server" ;;
  esac
  echo
  echo "$(sound_server_name) $(pactl info | sed -n 's/^Server Version: //p'), null sink"
  args=() pids=() file=""
  for i in "${!binaries[@]}"; do
    start_board "${labels[i]}-$server" "${binaries[i]}" "${displays[i]}"
    pids+=("$board_pid")
    [ -n "$file" ] || file="$board_data/music/$BOARD_SOUND.mp3"
    read -r sound_x sound_y <<<"$(grid_button_center "$board_x" "$board_y" 1 3)"
    read -r stop_x stop_y <<<"$(grid_button_center "$board_x" "$board_y" 4 2)"
    args+=(--board "${labels[i]}" "${displays[i]}" "$sound_x" "$sound_y" "$stop_x" "$stop_y")
  done
  "$probe" --monitor "$BENCH_SINK.monitor" --sink "$BENCH_SINK" --file "$file" \
    --rounds "$rounds" --idle "$idle" --idle-seconds "$idle_seconds" --press-ms "$press_ms" \
    --raw "$session_dir/trials-$server.tsv" "${args[@]}" || session_fail "the probe failed on $server"
  for pid in "${pids[@]}"; do stop_pid "$pid"; done
  stop_sound_server
done
