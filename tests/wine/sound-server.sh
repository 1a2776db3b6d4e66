#!/usr/bin/env bash
# The sound server of the Windows tests: a private PulseAudio with one null sink, "KalvorTest"
# (44.1 kHz float stereo, so what Wine plays arrives unconverted), whose monitor parec records into
# a tape for the whole run. Tests under Wine find the server and the tape through
# STATE_DIR/sound/env (wine-run.sh reads it); a test marks where the tape stands, plays, and reads
# what was added since.
#   sound-server.sh start STATE_DIR    prints SKIPPED and does nothing when PulseAudio is missing
#   sound-server.sh stop STATE_DIR
set -uo pipefail
action=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
dir="$state/sound"

# shellcheck source=tests/support/script_helpers.sh
. "$(dirname "$0")/../support/script_helpers.sh"

stop() {
  rm -f "$dir/env"
  stop_pidfile "$dir/parec.pid"
  stop_pidfile "$dir/pulseaudio.pid"
  if [ -f "$dir/runtime" ]; then
    rm -rf "$(cat "$dir/runtime")"
    rm -f "$dir/runtime"
  fi
  return 0
}

start_or_stop "$action"
needs_tools "the Windows sound tests need PulseAudio" pulseaudio pactl parec
stop  # what an interrupted run left behind
rm -rf "$dir"
mkdir -p "$dir"
# The server's socket lives in a short folder of its own: socket paths may not be long.
runtime=$(mktemp -d /tmp/kalvor-wine-sound.XXXXXX)
echo "$runtime" >"$dir/runtime"
socket="$runtime/pulse.sock"
export XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$socket"
# setsid: the server outlives this script, and a terminal's signals do not reach it.
setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
  --log-target=file:"$dir/pulseaudio.log" \
  -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
  -L "module-null-sink sink_name=kalvortest format=float32le rate=44100 channels=2 sink_properties=device.description=KalvorTest" \
  </dev/null >/dev/null 2>&1 &
echo $! >"$dir/pulseaudio.pid"
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "pulseaudio did not start:"
  cat "$dir/pulseaudio.log"
  stop
  exit 1
fi
setsid parec --device=kalvortest.monitor --format=float32le --rate=44100 --channels=2 \
  --latency-msec=10 >"$dir/tape.raw" 2>"$dir/parec.log" </dev/null &
echo $! >"$dir/parec.pid"
# parec takes a moment (up to two seconds here) before its first frames arrive; a test that
# played before then would find nothing recorded.
for _ in $(seq 100); do
  [ -s "$dir/tape.raw" ] && break
  sleep 0.1
done
if [ ! -s "$dir/tape.raw" ]; then
  echo "parec records nothing:"
  cat "$dir/parec.log"
  stop
  exit 1
fi
# Wine's drive Z: is the root of the Linux file system.
cat >"$dir/env" <<ENV
PULSE_SERVER='unix:$socket'
KALVOR_TEST_TAPE='Z:${dir//\//\\}\\tape.raw'
ENV
echo "sound server on $socket, recording KalvorTest into $dir/tape.raw"
