# shellcheck shell=bash
# shellcheck disable=SC2034  # the variables it sets are read by the scripts that source it
# A private desktop for the benchmarks that run the real program: X servers (Xvfb) with a window
# manager (openbox), a headless sound server (PulseAudio, or PipeWire with its pulse layer) whose
# only sink is a null sink, and board processes with their own home folders. Sourced, not run.
#
# Every process started here is remembered by its id (sound servers by their process group) and
# ended by session_end, which runs on exit. Logs go to $session_dir, kept when KEEP_SESSION=1.

# stop_pid, wait_until: beside this file in the build's bin folder, in tests/support/ in the sources.
_session_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ -f "$_session_here/process_helpers.sh" ]; then
  # shellcheck source=tests/support/process_helpers.sh
  . "$_session_here/process_helpers.sh"
else
  # shellcheck source=tests/support/process_helpers.sh
  . "$_session_here/../../tests/support/process_helpers.sh"
fi

session_dir=""
declare -a session_pids=()   # stopped in reverse order
declare -a session_groups=() # process groups (sound servers)

session_begin() {  # session_begin TAG
  session_dir=$(mktemp -d "/tmp/kalvor-$1.XXXXXX")
  chmod 700 "$session_dir"
  trap session_end EXIT
  trap 'exit 130' INT TERM HUP
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP DESKTOP_SESSION SDL_AUDIODRIVER AUDIODEV PULSE_SINK
  unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE SESSION_MANAGER
}

session_end() {
  local i
  for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do stop_pid "${session_pids[i]}"; done
  for group in "${session_groups[@]}"; do stop_pid "-$group"; done
  session_pids=() session_groups=()
  if [ -n "$session_dir" ] && [ "${KEEP_SESSION:-0}" != 1 ]; then
    rm -rf "$session_dir"
  elif [ -n "$session_dir" ]; then
    echo "logs kept in $session_dir" >&2
  fi
}

session_fail() {
  echo "error: $*" >&2
  exit 1
}

# start_display NAME: an X server with a window manager; sets display (":N").
display=""
start_display() {
  local name=$1 log="$session_dir/xvfb-$1"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$log.display" >"$log.log" 2>&1 &
  session_pids+=($!)
  display_ready() { grep -q '^[0-9]' "$log.display" 2>/dev/null; }
  wait_until 30 display_ready || session_fail "Xvfb did not start: $(cat "$log.log")"
  display=":$(head -n 1 "$log.display")"
  DISPLAY=$display openbox --sm-disable >"$session_dir/openbox-$name.log" 2>&1 &
  session_pids+=($!)
  wait_until 30 env DISPLAY="$display" wmctrl -m >/dev/null 2>&1 ||
    session_fail "openbox did not start on $display"
}

# The sound server, whose only sink is the null sink BENCH_SINK: exports PULSE_SERVER and sets
# sound_server_pgid; stop_sound_server ends it with everything it started.
readonly BENCH_SINK=kalvorbench
sound_server_pgid=""

start_pulseaudio() {
  local run="$session_dir/run-pulse"
  mkdir -p "$run" && chmod 700 "$run"
  export XDG_RUNTIME_DIR=$run PULSE_SERVER="unix:$run/pulse.sock"
  setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    -L "module-native-protocol-unix socket=$run/pulse.sock auth-anonymous=1" \
    -L "module-null-sink sink_name=$BENCH_SINK rate=48000 sink_properties=device.description=KalvorBench" \
    >"$session_dir/pulseaudio.log" 2>&1 &
  sound_server_pgid=$!
  session_groups+=("$sound_server_pgid")
  wait_until 30 pactl info >/dev/null 2>&1 ||
    session_fail "pulseaudio did not start: $(cat "$session_dir/pulseaudio.log")"
  pactl set-default-sink "$BENCH_SINK"
}

start_pipewire() {
  local run="$session_dir/run-pipewire"
  mkdir -p "$run" && chmod 700 "$run"
  export XDG_RUNTIME_DIR=$run PULSE_SERVER="unix:$run/pulse/native"
  # A session bus of its own: wireplumber needs one, and nothing of the caller's may leak in.
  (
    unset DBUS_SESSION_BUS_ADDRESS
    exec setsid dbus-run-session -- sh -c \
      'pipewire & sleep 0.3; wireplumber & pipewire-pulse & wait'
  ) >"$session_dir/pipewire.log" 2>&1 &
  sound_server_pgid=$!
  session_groups+=("$sound_server_pgid")
  wait_until 30 pactl info >/dev/null 2>&1 ||
    session_fail "pipewire-pulse did not answer: $(cat "$session_dir/pipewire.log")"
  pactl load-module module-null-sink "sink_name=$BENCH_SINK" \
    "sink_properties=device.description=KalvorBench" >/dev/null ||
    session_fail "no null sink on PipeWire"
  # The session manager takes a moment to know the new sink; until then it refuses it as default.
  sink_is_default() {
    pactl set-default-sink "$BENCH_SINK" 2>/dev/null &&
      [ "$(pactl get-default-sink 2>/dev/null)" = "$BENCH_SINK" ]
  }
  wait_until 10 sink_is_default || session_fail "the null sink did not become PipeWire's default"
}

stop_sound_server() {
  [ -n "$sound_server_pgid" ] || return 0
  stop_pid "-$sound_server_pgid"
  local kept=()
  for group in "${session_groups[@]}"; do
    [ "$group" != "$sound_server_pgid" ] && kept+=("$group")
  done
  session_groups=("${kept[@]}")
  sound_server_pgid=""
}

sound_server_name() {
  pactl info 2>/dev/null | sed -n 's/^Server Name: //p'
}

# start_board TAG BINARY DISPLAY: the program with a home folder of its own, F3 bound to the
# applause in its data.ini. Sets board_pid, board_window, board_x, board_y (the window's client
# origin on the screen) and board_data (its data folder).
board_pid="" board_window="" board_x="" board_y="" board_data=""
readonly BOARD_CAPTION="Kalvor音效助手"
readonly BOARD_SOUND="欢呼掌声"
start_board() {
  local tag=$1 binary=$2 display=$3
  local home="$session_dir/home-$tag"
  mkdir -p "$home/data/kalvor" "$home/config" "$home/cache"
  board_data="$home/data/kalvor"
  printf '[dat]\r\nF3=%s\r\n' "$BOARD_SOUND" | iconv -f UTF-8 -t GB18030 >"$board_data/data.ini"
  HOME=$home XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
    XDG_CACHE_HOME="$home/cache" DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$home/no-bus" \
    "$binary" >"$session_dir/board-$tag.log" 2>&1 &
  board_pid=$!
  session_pids+=("$board_pid")
  board_window=""
  find_window() {
    kill -0 "$board_pid" 2>/dev/null || return 0
    local id
    for id in $(DISPLAY=$display xdotool search --onlyvisible --name '^Kalvor' 2>/dev/null); do
      if [ "$(DISPLAY=$display xdotool getwindowname "$id" 2>/dev/null)" = "$BOARD_CAPTION" ]; then
        board_window=$id
        return 0
      fi
    done
    return 1
  }
  wait_until 60 find_window
  [ -n "$board_window" ] || session_fail "$binary showed no window: $(cat "$session_dir/board-$tag.log")"
  # The window manager frames and places it: wait until the position has settled.
  local last="" now="" stable=0
  for _ in $(seq 50); do
    now=$(DISPLAY=$display xwininfo -id "$board_window" 2>/dev/null | grep -E 'Absolute upper-left [XY]' | tr -d ' \n')
    if [ -n "$now" ] && [ "$now" = "$last" ]; then
      stable=$((stable + 1))
      [ $stable -ge 3 ] && break
    else
      stable=0
    fi
    last=$now
    sleep 0.1
  done
  board_x=$(DISPLAY=$display xwininfo -id "$board_window" | sed -n 's/.*Absolute upper-left X: *//p')
  board_y=$(DISPLAY=$display xwininfo -id "$board_window" | sed -n 's/.*Absolute upper-left Y: *//p')
  # The sounds are unpacked during the start; wait for the one the benchmarks play.
  sound_ready() { [ -s "$board_data/music/$BOARD_SOUND.mp3" ]; }
  wait_until 30 sound_ready || session_fail "$binary did not unpack $BOARD_SOUND.mp3"
}

# Screen position of a grid button (row, column) of the first page, from the form: the tab
# control lies at (-8, 126); button (row, column) at (16 + 80 (column - 1), 32 + 40 (row - 1))
# inside it, 72 x 32.
grid_button_center() {  # ORIGIN_X ORIGIN_Y ROW COLUMN -> "x y"
  echo "$(($1 - 8 + 16 + 80 * ($4 - 1) + 36)) $(($2 + 126 + 32 + 40 * ($3 - 1) + 16))"
}
