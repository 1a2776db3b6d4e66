#!/usr/bin/env bash
# shellcheck disable=SC2015  # "A && pass ... || fail ..." is safe here: pass only prints.
# Kalvor on a desktop, end to end, the way a host uses it: installs the Debian package with apt,
# starts the installed program from its menu entry on a private X server (Xvfb) with a real window
# manager (openbox) and a PulseAudio null sink, then
#   - checks the window as the task bar sees it (caption, icon, class) and where the program and
#     its audio library were loaded from,
#   - clicks "欢呼掌声" and, a second and a half later, "停止播放", recording the sink's monitor
#     across both: sound before the stop, silence after it while the applause would still play;
#     then presses F3 (bound in data.ini) and runs `kalvor --key F3`, each of which must be heard,
#   - moves the volume slider with the keyboard, toggles "置顶/取消" and clicks "联系作者" (the
#     installed help page),
#   - closes the window through the window manager and checks the process ended and data.ini,
#   - starts it once more with no sound server at all: it starts and only playing reports
#     "打开文件失败".
# Every process it starts is ended on the way out, also on failure.
#
# Usage: desktop_e2e.sh PACKAGE.deb|FOLDER_WITH_IT [--keep-installed]
# Needs root (apt-get): without it, or without apt-get, it prints SKIPPED and exits 0. Run as
# root, anything that goes wrong fails it, the installation of its packages included. The package
# is removed again at the end unless it was installed before or --keep-installed is given.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
package_arg=${1:-}
keep_installed=0
[ "${2:-}" = "--keep-installed" ] && keep_installed=1

readonly APP_ID=io.kalvor.Kalvor
readonly CAPTION="Kalvor音效助手"
readonly SOUND="欢呼掌声"

# skip, fail, pass, die; stop_pid, wait_until
# shellcheck source=tests/support/script_helpers.sh
. "$repo/tests/support/script_helpers.sh"

# --- Can it run here? ----------------------------------------------------------------------------
[ "$(id -u)" -eq 0 ] || skip "the desktop test installs the package with apt-get and needs root"
command -v apt-get >/dev/null || skip "no apt-get: not a Debian system"
pkg_status() { dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true; }
# The package is installed system-wide, so one desktop test runs at a time on a machine; a second
# one waits for the first. Background processes do not inherit the lock (9>&- below).
exec 9>/run/lock/kalvor-desktop-e2e.lock
if ! flock -w 600 9; then
  skip "another desktop test has held the machine for 10 minutes"
fi

# Another apt run on the machine holds the package database for a while: try a few times.
for attempt in 1 2 3; do
  "$repo/scripts/install-deps.sh" --e2e && break
  [ $attempt -eq 3 ] && die "scripts/install-deps.sh --e2e could not install the desktop test's packages"
  sleep 20
done
for tool in Xvfb openbox wmctrl pulseaudio pactl parec xdotool xprop xwininfo sox soxi iconv; do
  command -v "$tool" >/dev/null || die "$tool is not installed, although its package was"
done

deb=$package_arg
if [ -d "$deb" ]; then
  shopt -s nullglob
  found=("$deb"/kalvor_*.deb)
  shopt -u nullglob
  deb=${found[0]:-}
fi
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  die "no kalvor_*.deb at '$package_arg' (run the package check first)"
fi
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")

# --- Processes and clean-up ----------------------------------------------------------------------
scratch=$(mktemp -d /tmp/kalvor-e2e.XXXXXX)
chmod 755 "$scratch"
xvfb_pid="" wm_pid="" pulse_pid="" kalvor_pid="" parec_pid=""
installed_before=$([ "$(pkg_status kalvor)" = installed ] && echo 1 || echo 0)
package_installed=0

cleanup() {
  local rc=$?
  # Left running only when closing its window failed; SDL's signal handlers may swallow SIGTERM,
  # so SIGKILL.
  if [ -n "$kalvor_pid" ] && kill -0 "$kalvor_pid" 2>/dev/null; then
    kill -KILL "$kalvor_pid" 2>/dev/null
    wait "$kalvor_pid" 2>/dev/null
  fi
  stop_pid "$parec_pid"
  stop_pid "$wm_pid"
  stop_pid "$pulse_pid"
  stop_pid "$xvfb_pid"
  if [ $package_installed -eq 1 ] && [ "$installed_before" -eq 0 ] && [ $keep_installed -eq 0 ]; then
    apt-get remove -y -qq -o DPkg::Lock::Timeout=120 kalvor >/dev/null 2>&1 &&
      echo "removed the kalvor package again"
  fi
  if [ $failures -eq 0 ] && [ $rc -eq 0 ]; then
    rm -rf "$scratch"
  else
    echo "logs and recordings kept in $scratch"
    [ $rc -eq 0 ] && rc=1
  fi
  exit $rc
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# --- Install the package -------------------------------------------------------------------------
export DEBIAN_FRONTEND=noninteractive
apt_install() { apt-get install -y -qq -o DPkg::Lock::Timeout=120 "$deb" >"$scratch/apt.log" 2>&1; }
if ! apt_install; then
  # Its dependencies may be missing from stale package lists.
  apt-get update -qq >/dev/null 2>&1
  apt_install || {
    cat "$scratch/apt.log"
    die "apt-get install $deb failed"
  }
fi
package_installed=1
pass "apt-get installed $(basename "$deb")"
for path in /usr/bin/kalvor /usr/lib/kalvor/kalvor /usr/lib/kalvor/libbass.so \
  "/usr/share/applications/$APP_ID.desktop" "/usr/share/metainfo/$APP_ID.metainfo.xml" \
  /usr/share/icons/hicolor/48x48/apps/kalvor.png /usr/share/kalvor/help/index.html; do
  [ -e "$path" ] || fail "the package did not install $path"
done

# --- A desktop: X server, window manager, sound server --------------------------------------------
home="$scratch/home"
mkdir -p "$home" "$scratch/data" "$scratch/config" "$scratch/cache" "$scratch/run" "$scratch/bin"
chmod 700 "$scratch/run"
export HOME="$home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
export XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/run"
export LANG=C.UTF-8 LC_ALL=C.UTF-8 XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
# Nothing from the caller's session: no session bus to start services on, no desktop whose own
# browser launcher Qt would pick, no Wayland, no preset SDL driver.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/run/no-bus"
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
unset BROWSER DEFAULT_BROWSER SDL_AUDIODRIVER SDL_DISKAUDIOFILE AUDIODEV PULSE_SINK
unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
# A sanitizer build would end with exit code 1 over leak reports from libraries it unloads at exit
# (the unit tests are where leaks are looked for); every other sanitizer error still fails here.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" \
  >"$scratch/xvfb.log" 2>&1 9>&- &
xvfb_pid=$!
display_ready() { grep -q '^[0-9]' "$scratch/display" 2>/dev/null; }
wait_until 60 display_ready || die "Xvfb did not start: $(cat "$scratch/xvfb.log")"
DISPLAY=":$(head -n 1 "$scratch/display")"
export DISPLAY

openbox --sm-disable >"$scratch/openbox.log" 2>&1 9>&- &
wm_pid=$!
wait_until 60 wmctrl -m >/dev/null 2>&1 || die "openbox did not start: $(cat "$scratch/openbox.log")"

pulse_socket="$scratch/run/pulse.sock"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
  -L "module-native-protocol-unix socket=$pulse_socket auth-anonymous=1" \
  -L "module-null-sink sink_name=kalvortest rate=48000 sink_properties=device.description=KalvorTest" \
  >"$scratch/pulseaudio.log" 2>&1 9>&- &
pulse_pid=$!
export PULSE_SERVER="unix:$pulse_socket"
wait_until 60 pactl info >/dev/null 2>&1 || die "pulseaudio did not start: $(cat "$scratch/pulseaudio.log")"
pass "desktop on $DISPLAY: $(wmctrl -m | sed -n 's/^Name: //p') window manager, PulseAudio null sink"

# The default browser: records what it is asked to open.
cat >"$scratch/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$scratch/opened.txt"
EOF
chmod +x "$scratch/bin/xdg-open"
export PATH="$scratch/bin:$PATH"

# data.ini (GBK): F3 plays the applause.
mkdir -p "$XDG_DATA_HOME/kalvor"
printf '[dat]\r\nF3=%s\r\n' "$SOUND" | iconv -f UTF-8 -t GB18030 >"$XDG_DATA_HOME/kalvor/data.ini"

# --- Helpers on the running program --------------------------------------------------------------
main_window=""
find_main_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Kalvor' 2>/dev/null); do
    if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$CAPTION" ]; then
      main_window=$id
      return 0
    fi
  done
  return 1
}
alive() { kill -0 "$kalvor_pid" 2>/dev/null; }
window_up() {
  alive || return 0  # stop waiting: it died
  find_main_window
}
error_box() { xdotool search --onlyvisible --name '^错误$' 2>/dev/null | head -n 1; }
no_error_box() { [ -z "$(error_box)" ]; }

# The desktop entry's command, as a menu would run it (field codes such as %f dropped).
launch_from_menu() {
  local exec_line
  exec_line=$(sed -n 's/^Exec=//p' "/usr/share/applications/$APP_ID.desktop" | head -n 1)
  exec_line=$(sed -E 's/ ?%[fFuUdDnNickvm]//g' <<<"$exec_line")
  (cd / && exec $exec_line) >"$1" 2>&1 9>&- &
  kalvor_pid=$!
}
start_program() {  # start_program LOGFILE: starts it and waits for the main window
  launch_from_menu "$1"
  main_window=""
  wait_until 120 window_up
  if ! alive; then
    wait "$kalvor_pid"
    die "kalvor ended during start-up (exit $?): $(cat "$1")"
  fi
  [ -n "$main_window" ] || die "the main window did not appear within 120 s"
  # The window manager frames and places it; wait until its position has settled.
  local last="" now="" stable=0
  for _ in $(seq 50); do
    now=$(xwininfo -id "$main_window" 2>/dev/null | grep -E 'Absolute upper-left [XY]' | tr -d ' \n')
    if [ -n "$now" ] && [ "$now" = "$last" ]; then
      stable=$((stable + 1))
      [ $stable -ge 3 ] && break
    else
      stable=0
    fi
    last=$now
    sleep 0.2
  done
  origin_x=$(xwininfo -id "$main_window" | sed -n 's/.*Absolute upper-left X: *//p')
  origin_y=$(xwininfo -id "$main_window" | sed -n 's/.*Absolute upper-left Y: *//p')
}
stop_program() {  # closes the main window through the window manager; checks the process ends
  local how=$1
  wmctrl -i -c "$main_window"
  if ! wait_until 30 eval '! alive'; then
    # A second way through the window manager: its close key.
    xdotool windowactivate --sync "$main_window" key --clearmodifiers alt+F4 2>/dev/null
    wait_until 30 eval '! alive' || {
      fail "$how: kalvor still runs 60 s after its window was closed"
      kill -KILL "$kalvor_pid" 2>/dev/null
    }
  fi
  wait "$kalvor_pid"
  exit_code=$?
  kalvor_pid=""
}

# Positions in the main window's client area, from the form: the tab control lies at (-8, 126);
# grid button (row, column) at (16 + 80 (column - 1), 32 + 40 (row - 1)) inside it, 72 x 32.
grid_button_center() {  # row column -> "x y" on the screen
  local row=$1 column=$2
  echo "$((origin_x - 8 + 16 + 80 * (column - 1) + 36)) $((origin_y + 126 + 32 + 40 * (row - 1) + 16))"
}
click_at() {
  xdotool mousemove --sync "$1" "$2" click 1
  sleep 0.3
}

# start_recording NAME: records the sink's monitor into $scratch/NAME.wav from now on
start_recording() {
  recording_=$scratch/$1.wav
  parec --device=kalvortest.monitor --rate=48000 --channels=2 --format=s16le \
    --file-format=wav "$recording_" >"$scratch/parec-$1.log" 2>&1 9>&- &
  parec_pid=$!
  # The monitor may deliver nothing for the first two seconds after the recorder connects.
  recording() { pactl list short source-outputs 2>/dev/null | grep -q .; }
  wait_until 20 recording || fail "$1: the recorder did not connect"
  sleep 2.5
}
stop_recording() {
  kill -INT "$parec_pid" 2>/dev/null
  wait "$parec_pid" 2>/dev/null
  parec_pid=""
}
# level FILE [START DURATION]: "RMS peak length" of the file or of a stretch of it, in seconds
level() {
  local stat
  stat=$(sox "$1" -n ${2:+trim "$2" "$3"} stat 2>&1)
  printf '%s %s %s\n' "$(sed -n 's/^RMS *amplitude: *//p' <<<"$stat" | grep . || echo 0)" \
    "$(sed -n 's/^Maximum amplitude: *//p' <<<"$stat" | grep . || echo 0)" \
    "$(sed -n 's/^Length (seconds): *//p' <<<"$stat" | grep . || echo 0)"
}
# record NAME ACTION...: records the monitor from before ACTION until 4 s after it; leaves RMS and
# peak in rms_/peak_
record() {
  local name=$1
  shift
  start_recording "$name"
  "$@"
  sleep 4
  stop_recording
  read -r rms_ peak_ length_ < <(level "$recording_")
  printf '      %-8s %6.2f s recorded   RMS %.4f   peak %.4f\n' "$name" "$length_" "$rms_" "$peak_"
}
now() { date +%s.%N; }
# add A B: A + B, both in seconds
add() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
louder() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'; }

# --- 1. Start from the menu entry ----------------------------------------------------------------
start_program "$scratch/kalvor.log"
pass "started from the menu entry: window 0x$(printf %x "$main_window") at ($origin_x, $origin_y)"

exe=$(readlink "/proc/$kalvor_pid/exe")
[ "$exe" = /usr/lib/kalvor/kalvor ] && pass "the process runs /usr/lib/kalvor/kalvor" ||
  fail "the process runs '$exe', not /usr/lib/kalvor/kalvor"
if grep -q ' /usr/lib/kalvor/libbass.so$' "/proc/$kalvor_pid/maps"; then
  pass "the audio library was loaded from the program's folder"
else
  fail "libbass.so was not loaded from /usr/lib/kalvor: $(grep -o '/[^ ]*libbass.so' "/proc/$kalvor_pid/maps" | sort -u)"
fi
[ -s "$HOME/.local/lib/kalvor/libbass.so" ] || fail "no library copy in ~/.local/lib/kalvor"
[ -s "$XDG_DATA_HOME/kalvor/music/$SOUND.mp3" ] || fail "the sounds were not unpacked into \$XDG_DATA_HOME/kalvor/music"

# The task bar's view: caption, icon, and the class the menu entry names.
wm_name=$(xprop -id "$main_window" -notype _NET_WM_NAME | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p')
wm_class=$(xprop -id "$main_window" -notype WM_CLASS | sed -n 's/^WM_CLASS = //p')
icon_size=$(xprop -id "$main_window" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)' |
  head -n 1 | tr -d 'Icon() ')
startup_class=$(sed -n 's/^StartupWMClass=//p' "/usr/share/applications/$APP_ID.desktop")
[ "$wm_name" = "$CAPTION" ] && pass "caption: $wm_name" || fail "caption '$wm_name'"
[ "$wm_class" = "\"$startup_class\", \"$startup_class\"" ] &&
  pass "WM_CLASS $wm_class matches the menu entry's StartupWMClass" ||
  fail "WM_CLASS $wm_class does not match StartupWMClass=$startup_class"
[ -n "$icon_size" ] && pass "window icon (_NET_WM_ICON) ${icon_size}" || fail "the window has no icon"
xprop -root _NET_CLIENT_LIST | grep -qi "0x0*$(printf %x "$main_window")" &&
  pass "the window manager lists the window for the task bar" ||
  fail "the window is not in _NET_CLIENT_LIST"
wait_until 5 eval '! no_error_box' && fail "an error box appeared during start-up"

# --- 2. Sound: a click, the stop button, F3 -----------------------------------------------------
read -r sound_x sound_y <<<"$(grid_button_center 1 3)"
read -r stop_x stop_y <<<"$(grid_button_center 4 2)"
read -r contact_x contact_y <<<"$(grid_button_center 4 3)"
read -r top_x top_y <<<"$(grid_button_center 4 5)"
echo "      \"$SOUND\" at ($sound_x, $sound_y); 停止播放 ($stop_x, $stop_y); 联系作者 ($contact_x, $contact_y); 置顶/取消 ($top_x, $top_y)"

# The click and the stop in one recording. The sound starts in the recording where the click was
# heard; the stop comes the same time later as it came after the click on the wall clock (both go
# the same way to the sink). Before it the applause must be heard; after it silence, at a time when
# the applause file is still loud, so that only the stop can have made it silent.
start_recording click-stop
clicked=$(now)
click_at "$sound_x" "$sound_y"
sleep 1.2
stopped=$(now)
click_at "$stop_x" "$stop_y"
sleep 3.5
stop_recording
no_error_box || fail "the click showed an error box (the sound did not open)"
gap=$(add "$stopped" "-$clicked")
read -r _ _ recorded < <(level "$recording_")
sox "$recording_" "$scratch/from-onset.wav" silence 1 0.01 0.5%
read -r _ _ rest < <(level "$scratch/from-onset.wav")
onset=$(add "$recorded" "-$rest")
read -r click_rms click_peak _ < <(level "$recording_" "$(add "$onset" 0.2)" "$(add "$gap" -0.4)")
read -r after_rms after_peak _ < <(level "$recording_" "$(add "$onset" "$(add "$gap" 0.5)")" 2)
read -r file_rms _ _ < <(level "$XDG_DATA_HOME/kalvor/music/$SOUND.mp3" "$(add "$gap" 0.5)" 2)
printf '      %.2f s recorded; the sound from %.2f s; 停止播放 %.2f s after the click\n' \
  "$recorded" "$onset" "$gap"
printf '      before the stop RMS %.4f peak %.4f; after it peak %.4f (the file there: RMS %.4f)\n' \
  "$click_rms" "$click_peak" "$after_peak" "$file_rms"

louder "$click_rms" 0.01 && louder "$click_peak" 0.1 &&
  pass "the click on \"$SOUND\" was heard (RMS $click_rms, peak $click_peak)" ||
  fail "the click on \"$SOUND\" was not heard (RMS $click_rms, peak $click_peak)"
if ! louder "$file_rms" 0.05; then
  fail "\"$SOUND\" is not loud 0.5 to 2.5 s after the stop: silence there would prove nothing"
elif ! louder "$recorded" "$(add "$onset" "$(add "$gap" 2.5)")"; then
  fail "the recording ends before the 2 s after 停止播放 ($recorded s)"
else
  louder 0.01 "$after_peak" &&
    pass "silence after 停止播放 while the applause would still play (peak $after_peak)" ||
    fail "sound after 停止播放 (peak $after_peak; the applause file there: RMS $file_rms)"
fi

record f3 xdotool key F3
f3_rms=$rms_ f3_peak=$peak_
no_error_box || fail "F3 showed an error box (the sound did not open)"
louder "$f3_rms" 0.01 && louder "$f3_peak" 0.1 &&
  pass "F3 played the bound sound (RMS $f3_rms, peak $f3_peak)" ||
  fail "F3 was not heard (RMS $f3_rms, peak $f3_peak)"
# The same key from the command line, as a compositor's key binding would run it.
/usr/bin/kalvor --stop || fail "kalvor --stop ended with $?"
record cli /usr/bin/kalvor --key F3
cli_rms=$rms_ cli_peak=$peak_
louder "$cli_rms" 0.01 && louder "$cli_peak" 0.1 &&
  pass "kalvor --key F3 played the bound sound (RMS $cli_rms, peak $cli_peak)" ||
  fail "kalvor --key F3 was not heard (RMS $cli_rms, peak $cli_peak)"
/usr/bin/kalvor --stop || fail "kalvor --stop ended with $?"

# --- 3. Always on top, the chat address, the volume slider ----------------------------------------
# Page 1's "置顶/取消" has never done anything; the one on page 2 works. Ctrl+Tab, with the focus
# on a button of the tab control (停止播放 was clicked last), turns to page 2.
xdotool key --clearmodifiers ctrl+Tab
sleep 0.5
net_state() { xprop -id "$main_window" -notype _NET_WM_STATE 2>/dev/null; }
above() { net_state | grep -q _NET_WM_STATE_ABOVE; }
click_at "$top_x" "$top_y"
if wait_until 10 above; then
  pass "置顶/取消: the window manager keeps the window above others"
  click_at "$top_x" "$top_y"
  wait_until 10 eval '! above' && pass "置顶/取消 again: back in the normal layer" ||
    fail "the second 置顶/取消 left the window on top ($(net_state))"
else
  fail "置顶/取消 did not put the window on top ($(net_state))"
fi

click_at "$contact_x" "$contact_y"
opened() { [ -s "$scratch/opened.txt" ]; }
help_page=file:///usr/share/kalvor/help/contact.html
if ! wait_until 15 opened; then
  fail "联系作者 did not reach xdg-open"
elif [ "$(head -n 1 "$scratch/opened.txt")" = "$help_page" ] && [ -s "${help_page#file://}" ]; then
  pass "联系作者 opened the installed help page $help_page through xdg-open"
else
  fail "联系作者 opened '$(head -n 1 "$scratch/opened.txt")', not $help_page"
fi

# The slider lies at (72, 8) in the group box at (-8, 310): 128 x 20. A click gives it the focus;
# Home takes it to 0, then 25 steps of 1 to the right.
slider_x=$((origin_x - 8 + 72 + 20)) slider_y=$((origin_y + 310 + 8 + 10))
click_at "$slider_x" "$slider_y"
xdotool key Home
for _ in $(seq 25); do xdotool key Right; done
sleep 0.5

# --- 4. Close through the window manager ---------------------------------------------------------
stop_program "close"
[ "$exit_code" -eq 0 ] && pass "closing the window ended the process (exit 0)" ||
  fail "kalvor exited with $exit_code after its window was closed"

ini=$(iconv -f GB18030 -t UTF-8 "$XDG_DATA_HOME/kalvor/data.ini" | tr -d '\r')
ini_value() {  # ini_value SECTION KEY
  awk -v s="[$1]" -v k="$2" '$0 == s { in_s = 1; next } /^\[/ { in_s = 0 }
    in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }' <<<"$ini"
}
vi=$(ini_value data vi)
kjj=$(ini_value data kjj)
f3=$(ini_value dat F3)
echo "      data.ini: vi=${vi:-<absent>} kjj=${kjj:-<absent>} F3=${f3:-<absent>}"
[ "$vi" = 25 ] && pass "data.ini holds the slider's volume vi=25" || fail "data.ini vi='$vi', expected 25"
[ -z "$kjj" ] || [ "$kjj" = 1 ] && pass "the hotkey switch is untouched" || fail "data.ini kjj='$kjj'"
[ "$f3" = "$SOUND" ] && pass "the F3 binding is kept" || fail "data.ini F3='$f3'"

# --- 5. No audio device at all -------------------------------------------------------------------
# No sound server to reach: SDL lists no device and the library cannot open one.
export PULSE_SERVER="unix:$scratch/run/no-server" SDL_AUDIODRIVER=pulseaudio
start_program "$scratch/kalvor-nodevice.log"
if wait_until 4 eval '! no_error_box'; then
  fail "without a device an error box appeared before anything was played"
else
  pass "without a device it starts and shows no error"
fi
click_at "$sound_x" "$sound_y"
if wait_until 15 eval '! no_error_box'; then
  box=$(error_box)
  pass "without a device playing reports 打开文件失败 (box \"$(xdotool getwindowname "$box")\")"
  xdotool windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null
  wait_until 10 no_error_box || fail "the error box did not close on Return"
else
  fail "without a device a click showed no error box"
fi
stop_program "close without a device"
[ "$exit_code" -eq 0 ] && pass "without a device it also ends when closed (exit 0)" ||
  fail "without a device kalvor exited with $exit_code"

if [ $failures -ne 0 ]; then
  echo "desktop test: $failures failure(s)"
  exit 1
fi
echo "desktop test: passed"
