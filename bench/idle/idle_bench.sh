#!/usr/bin/env bash
# CPU of the board at rest, side by side for every board binary given, in one run: each board on
# an X server of its own (Xvfb + openbox) with a PulseAudio null sink, nothing playing, the
# process's utime + stime (/proc/PID/stat) over a stretch of seconds in each state:
#   window shown · minimized · covered by another window · minimized after a sound was played
#   and stopped (only the audio side left to cost anything)
#
#   idle_bench [--seconds N] [--threads] [LABEL=]BOARD_BINARY...
# e.g. idle_bench before=/path/to/old/kalvor after=build/bin/kalvor
# --threads adds the threads that used any CPU in each state.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=../desktop/desktop_session.sh
if [ -f "$here/desktop_session.sh" ]; then
  source "$here/desktop_session.sh"
else
  source "$here/../desktop/desktop_session.sh"
fi

seconds=20 threads=0
labels=() binaries=()
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --threads) threads=1; shift ;;
    -h | --help) sed -n '2,11p' "$0"; exit 0 ;;
    *=*) labels+=("${1%%=*}"); binaries+=("${1#*=}"); shift ;;
    *) labels+=("board$((${#labels[@]} + 1))"); binaries+=("$1"); shift ;;
  esac
done
[ ${#binaries[@]} -gt 0 ] || { sed -n '2,11p' "$0"; exit 2; }
for tool in Xvfb openbox wmctrl xdotool xwininfo xmessage pactl iconv; do
  command -v "$tool" >/dev/null || session_fail "$tool is not installed (scripts/install-deps.sh --bench)"
done

session_begin idle
start_pulseaudio
displays=() pids=() windows=() sound_at=() stop_at=()
for i in "${!binaries[@]}"; do
  [ -x "${binaries[i]}" ] || session_fail "${binaries[i]} is not a program"
  echo "${labels[i]}: $(realpath "${binaries[i]}")"
  start_display "board$i"
  start_board "${labels[i]}" "${binaries[i]}" "$display"
  displays+=("$display") pids+=("$board_pid") windows+=("$board_window")
  sound_at+=("$(grid_button_center "$board_x" "$board_y" 1 3)")
  stop_at+=("$(grid_button_center "$board_x" "$board_y" 4 2)")
done
sleep 3  # the end of the start-up work

on_each() {  # on_each COMMAND...: runs it with DISPLAY and WINDOW set for every board
  local i
  for i in "${!displays[@]}"; do DISPLAY=${displays[i]} WINDOW=${windows[i]} "$@"; done
}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
thread_ticks() {  # "tid name ticks" for every thread of a process
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(tr ' ' _ <"$task/comm") $(awk '{ print $14 + $15 }' "$task/stat" 2>/dev/null)"
  done
}
hz=$(getconf CLK_TCK)
declare -A result
states=()
measure() {  # measure STATE
  local i before=() threads_before=()
  states+=("$1")
  for i in "${!pids[@]}"; do
    before+=("$(ticks "${pids[i]}")")
    threads_before+=("$(thread_ticks "${pids[i]}")")
  done
  sleep "$seconds"
  for i in "${!pids[@]}"; do
    local used=$(($(ticks "${pids[i]}") - before[i]))
    result["$1,$i"]=$(awk -v t="$used" -v s="$seconds" -v hz="$hz" 'BEGIN { printf "%.2f", 100 * t / (s * hz) }')
    if [ $threads -eq 1 ]; then
      result["$1,$i,threads"]=$(join -a 2 <(sort <<<"${threads_before[i]}") <(thread_ticks "${pids[i]}" | sort) |
        awk 'NF == 5 { d = $5 - $3 } NF == 3 { d = $3 } d > 0 { printf " %s %d,", $2, d }')
    fi
  done
}

measure "window shown"
on_each sh -c 'xdotool windowminimize "$WINDOW"'
sleep 1
measure "minimized"
on_each sh -c 'wmctrl -i -a "$WINDOW"'
sleep 1
# A window over the whole screen, on top of the board.
covers=()
for display in "${displays[@]}"; do
  DISPLAY=$display xmessage -geometry 1024x768+0+0 "covering the board" >/dev/null 2>&1 &
  covers+=($!)
  session_pids+=($!)
done
sleep 1.5
measure "covered by another window"
for pid in "${covers[@]}"; do stop_pid "$pid"; done
sleep 1
# A sound played and stopped, then out of sight: only the audio side is left.
for i in "${!displays[@]}"; do
  DISPLAY=${displays[i]} xdotool mousemove --sync ${sound_at[i]} click 1
done
sleep 1
for i in "${!displays[@]}"; do
  DISPLAY=${displays[i]} xdotool mousemove --sync ${stop_at[i]} click 1
done
sleep 1
on_each sh -c 'xdotool windowminimize "$WINDOW"'
sleep 1
measure "minimized after a sound"

echo
echo "CPU at rest, % of one core over $seconds s ($(sound_server_name) null sink, nothing playing)"
printf '  %-28s' "state"
for label in "${labels[@]}"; do printf ' %10s' "$label"; done
echo
for state in "${states[@]}"; do
  printf '  %-28s' "$state"
  for i in "${!pids[@]}"; do printf ' %10s' "${result["$state,$i"]}"; done
  echo
  if [ $threads -eq 1 ]; then
    for i in "${!pids[@]}"; do
      echo "      ${labels[i]} threads (ticks of 1/$hz s):${result["$state,$i,threads"]}"
    done
  fi
done
