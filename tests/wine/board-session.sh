#!/usr/bin/env bash
# shellcheck disable=SC2015  # "A && pass ... || fail ..." is safe here: pass only prints.
# The Windows edition under Wine, used the way a host uses it, on a private X server (Xvfb) with a
# window manager (openbox) and the test sound server's recorded null sink (sound-server.sh):
#   board      in a fresh Wine prefix, with a data.ini the Linux edition wrote (output device 2,
#              volume 57, the hotkey switch on, F3 bound to "欢呼掌声"): starts kalvor.exe and
#              checks the main window (caption, size, icon); a real F3 press plays the sound on
#              device 2 at the restored volume; `kalvor.exe --stop` and `--key F3` reach the board;
#              the slider moved with the keyboard writes vi; a click on "欢呼掌声" is heard
#              louder and "停止播放" silences it; a right click opens "快捷键设置窗口"; closing the
#              window through the window manager ends the process and data.ini keeps what was set;
#              then `--stop` finds no board (exit code 1) and `--key F11` shows the usage (2).
#              On the way it pictures every page and the hotkey dialog (STATE_DIR/session/screenshots).
#   installer  runs the installer silently (/S), starts the installed program from its folder,
#              then the uninstaller (/S): the program, its shortcut and its entry in the list of
#              programs go, data.ini stays.
#
# Usage: board-session.sh board|installer STATE_DIR PROGRAM_DIR [INSTALLER] [LINUX_INI_TOOL]
# STATE_DIR is the Windows tests' state folder (wine-run.sh), PROGRAM_DIR holds kalvor.exe.
# Prints SKIPPED and exits 0 when the X server, window manager or input tools are missing, or when
# the test sound server is not running.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
mode=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
program_dir=$(cd "$3" && pwd)
installer=${4:-}
ini_tool=${5:-}

readonly CAPTION="Kalvor音效助手"
readonly DIALOG="快捷键设置窗口"
readonly SOUND="欢呼掌声"
readonly DISPLAY_NUMBER=63

# skip, fail, pass, die; stop_pid, wait_until
# shellcheck source=tests/support/script_helpers.sh
. "$here/../support/script_helpers.sh"

for tool in Xvfb openbox xdotool wmctrl xprop xwininfo sox import iconv; do
  command -v $tool >/dev/null || skip "$tool is not installed (scripts/install-deps.sh --windows)"
done
[ -f "$state/sound/env" ] || skip "the test sound server does not run (no PulseAudio)"
# shellcheck source=/dev/null
. "$state/sound/env"
export PULSE_SERVER
tape="$state/sound/tape.raw"

# --- The session: its own Wine prefix (fresh for every run), X server and window manager ----------
session="$state/session-$mode"
rm -rf "$session"
mkdir -p "$session/screenshots"
ln -s ../sound "$session/sound"  # wine-run.sh finds the sound server there
# Both programs run as jobs of this script; anything left is ended on the way out.
xvfb_pid="" wm_pid="" kalvor_pid="" other_sink=""
cleanup() {
  local rc=$?
  stop_pid "$kalvor_pid"
  WINEPREFIX="$session/prefix" wineserver -k 2>/dev/null
  [ -n "$other_sink" ] && pactl unload-module "$other_sink" >/dev/null 2>&1
  pactl set-default-sink kalvortest >/dev/null 2>&1
  stop_pid "$wm_pid"
  stop_pid "$xvfb_pid"
  if [ $failures -ne 0 ] || [ $rc -ne 0 ]; then
    echo "logs and pictures kept in $session"
    [ $rc -eq 0 ] && rc=1
  fi
  exit $rc
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

export DISPLAY=":$DISPLAY_NUMBER" KALVOR_WINE_DISPLAY=":$DISPLAY_NUMBER"
[ -e "/tmp/.X11-unix/X$DISPLAY_NUMBER" ] && xdpyinfo >/dev/null 2>&1 &&
  die "display $DISPLAY is taken by another X server"
# -noreset: the server would reset when the probe below disconnects, and a client connecting
# just then (the window manager) would be refused.
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$session/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_until 30 xdpyinfo >/dev/null 2>&1 || die "Xvfb did not start: $(cat "$session/xvfb.log")"
openbox --sm-disable >"$session/openbox.log" 2>&1 &
wm_pid=$!
wait_until 30 wmctrl -m >/dev/null 2>&1 || die "openbox did not start: $(cat "$session/openbox.log")"

wine_run() { "$here/wine-run.sh" "$session" "$@"; }
started=$SECONDS
wine_run cmd /c echo >/dev/null 2>&1 || die "the Wine prefix could not be made"
users=$(echo "$session"/prefix/drive_c/users/*/AppData/Roaming)
appdata=$(ls -d "$session"/prefix/drive_c/users/*/AppData/Roaming | grep -v /Public/ | head -n 1)
localappdata=${appdata%/Roaming}/Local
[ -d "$appdata" ] || die "no AppData\\Roaming in the new prefix ($users)"
pass "a fresh Wine prefix in $((SECONDS - started)) s; %APPDATA% is $appdata"
windows_path() { echo "Z:${1//\//\\}"; }

# --- The running program --------------------------------------------------------------------------
main_window=""
find_window() {  # find_window CAPTION: the visible window with exactly that caption, in found_
  local id
  found_=""
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
      found_=$id
      return 0
    fi
  done
  return 1
}
alive() { kill -0 "$kalvor_pid" 2>/dev/null; }
window_up() {
  alive || return 0  # stop waiting: it ended
  find_window "$CAPTION"
}
start_program() {  # start_program EXE LOG: starts it and waits for its main window
  wine_run "$1" >"$2" 2>&1 &
  kalvor_pid=$!
  started=$SECONDS
  wait_until 90 window_up
  alive || die "$1 ended during start-up: $(cat "$2")"
  [ -n "$found_" ] || die "the main window did not appear within 90 s"
  main_window=$found_
  # The window manager frames and places it; wait until it stays put.
  local last="" now=""
  for _ in $(seq 25); do
    now=$(xwininfo -id "$main_window" 2>/dev/null | grep -E 'Absolute upper-left [XY]' | tr -d ' \n')
    [ -n "$now" ] && [ "$now" = "$last" ] && break
    last=$now
    sleep 0.2
  done
  origin_x=$(xwininfo -id "$main_window" | sed -n 's/.*Absolute upper-left X: *//p')
  origin_y=$(xwininfo -id "$main_window" | sed -n 's/.*Absolute upper-left Y: *//p')
  width=$(xwininfo -id "$main_window" | sed -n 's/.*Width: *//p')
  height=$(xwininfo -id "$main_window" | sed -n 's/.*Height: *//p')
  pass "the main window appeared $((SECONDS - started)) s after the start, client area ${width}x${height} at ($origin_x, $origin_y)"
}
close_program() {  # closes the main window through the window manager; the process must end
  wmctrl -i -c "$main_window"
  if wait_until 30 eval '! alive'; then
    wait "$kalvor_pid"
    pass "closing the window ended the process (exit code $?)"
  else
    fail "the process still runs 30 s after its window was closed"
  fi
  kalvor_pid=""
}
# Client-area positions from the form: the tab control at (-8, 126), grid button (row, column) at
# (16 + 80 (column - 1), 32 + 40 (row - 1)) inside it, 72 x 32; the slider at (64, 318) + 128 x 20.
click_client() {  # click_client X Y [BUTTON]
  xdotool mousemove --sync $((origin_x + $1)) $((origin_y + $2)) click "${3:-1}"
}
click_grid() {  # click_grid ROW COLUMN [BUTTON]
  click_client $((-8 + 16 + 80 * ($2 - 1) + 36)) $((126 + 32 + 40 * ($1 - 1) + 16)) "${3:-1}"
}
picture() {  # picture WINDOW NAME: the window with its frame, as the screen shows it
  local x y w h l r t b
  eval "$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: */x=/p; s/.*Absolute upper-left Y: */y=/p; s/.*Width: */w=/p; s/.*Height: */h=/p')"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  import -window root -crop "$((w + ${l:-0} + ${r:-0}))x$((h + ${t:-0} + ${b:-0}))+$((x - ${l:-0}))+$((y - ${t:-0}))" \
    +repage "$session/screenshots/$2.png"
}
ini_value() {  # ini_value SECTION KEY: from data.ini (GBK), in UTF-8
  iconv -f GB18030 -t UTF-8 "$appdata/data.ini" 2>/dev/null | tr -d '\r' |
    awk -v s="[$1]" -v k="$2" '$0 == s { in_s = 1; next } /^\[/ { in_s = 0 }
      in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}

# --- What the sink heard: the tape sound-server.sh records (44.1 kHz float stereo) -----------------
mark() {  # the tape's length now, in whole frames
  local bytes
  bytes=$(stat -c %s "$tape")
  echo $((bytes / 8 * 8))
}
# level FROM TO: "RMS peak" of the tape between two marks
level() {
  local from=$1 to=$2 stat
  [ "$to" -gt "$from" ] || {
    echo "0 0"
    return
  }
  stat=$(tail -c +$((from + 1)) "$tape" | head -c $((to - from)) |
    sox -t raw -e floating-point -b 32 -r 44100 -c 2 - -n stat 2>&1)
  echo "$(sed -n 's/^RMS *amplitude: *//p' <<<"$stat" | grep . || echo 0)" \
    "$(sed -n 's/^Maximum amplitude: *//p' <<<"$stat" | grep . || echo 0)"
}
louder() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'; }
# heard_since MARK: true once the tape since MARK holds sound (peak above 0.05); sets onset_, the
# mark of its first 0.1 s stretch with sound
heard_since() {
  local from=$1 to step=8820 rms peak at
  to=$(mark)
  onset_=""
  # What an earlier poll for the same mark looked at already is not looked at again.
  if [ "${scan_from_:-}" != "$from" ]; then
    scan_from_=$from
    scanned_=$from
  fi
  for ((at = scanned_; at + step * 8 <= to; at += step * 8)); do
    scanned_=$at
    read -r rms peak < <(level "$at" $((at + step * 8)))
    if louder "$peak" 0.05; then
      onset_=$at
      return 0
    fi
  done
  return 1
}
seconds() { echo $(($1 * 44100 * 8 / 10)); }  # seconds TENTHS: that long on the tape, in bytes
# level_after ONSET FROM_TENTHS LENGTH_TENTHS: waits until the tape holds that stretch, gives its level
level_after() {
  local from=$(($1 + $(seconds "$2"))) to
  to=$((from + $(seconds "$3")))
  wait_until 20 eval '[ "$(mark)" -ge '"$to"' ]'
  level "$from" "$to"
}

if [ "$mode" = board ]; then
  # --- A data.ini from the Linux edition --------------------------------------------------------
  [ -x "$ini_tool" ] || die "no Linux settings writer at '$ini_tool'"
  "$ini_tool" write "$appdata/data.ini" || die "the Linux edition could not write data.ini"
  pass "data.ini written by the Linux edition: device $(ini_value data id), volume $(ini_value data vi), switch $(ini_value data kjj), F3=$(ini_value dat F3)"
  # A second output, made the default: a sound that ignored the device in data.ini would go there,
  # not to the recorded sink (device 2, the first real output).
  other_sink=$(pactl load-module module-null-sink sink_name=kalvorother \
    sink_properties=device.description=KalvorOther)
  pactl set-default-sink kalvorother

  start_program "$program_dir/kalvor.exe" "$session/kalvor.log"
  wm_name=$(xprop -id "$main_window" -notype _NET_WM_NAME | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p')
  [ "$wm_name" = "$CAPTION" ] && pass "caption: $wm_name" || fail "caption '$wm_name'"
  # The form's outer size is 414 x 545 at 96 DPI; the window manager's frame replaces Windows' own.
  [ "$width" -ge 400 ] && [ "$width" -le 414 ] && [ "$height" -ge 505 ] && [ "$height" -le 545 ] &&
    pass "size: client area ${width}x${height} for a 414 x 545 window" ||
    fail "client area ${width}x${height} does not fit a 414 x 545 window"
  xprop -id "$main_window" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (' &&
    pass "the window has its icon" || fail "the window has no icon"
  picture "$main_window" main-window-page1

  # The switch is on and F3 bound: a real key press. (Wine hears the keyboard only while one of its
  # windows has the focus, so the key goes to the board's window; on Windows any window will do.)
  xdotool windowactivate --sync "$main_window" >/dev/null 2>&1 || xdotool windowfocus --sync "$main_window"
  before=$(mark)
  xdotool key F3
  if wait_until 10 heard_since "$before"; then
    read -r rms57 peak57 < <(level_after "$onset_" 2 10)
    pass "F3 played \"$SOUND\" on device 2 (the recorded sink): RMS $rms57 at volume 57"
  else
    fail "F3 was not heard on the recorded sink (the binding, the switch or the device in data.ini was not restored)"
    rms57=0
  fi
  # The command line reaches the running board.
  wine_run "$program_dir/kalvor.exe" --stop >"$session/stop.log" 2>&1
  code=$?
  [ $code -eq 0 ] && pass "kalvor.exe --stop: exit code 0" ||
    fail "kalvor.exe --stop: exit code $code: $(cat "$session/stop.log")"
  quiet_from=$(($(mark) + $(seconds 5)))
  wait_until 10 eval '[ "$(mark)" -ge '"$((quiet_from + $(seconds 10)))"' ]'
  read -r _ peak < <(level "$quiet_from" "$((quiet_from + $(seconds 10)))")
  louder 0.01 "$peak" && pass "after --stop the sink is silent (peak $peak)" ||
    fail "still playing after --stop (peak $peak)"
  before=$(mark)
  wine_run "$program_dir/kalvor.exe" --key F3 >"$session/key.log" 2>&1
  code=$?
  [ $code -eq 0 ] && wait_until 10 heard_since "$before" &&
    pass "kalvor.exe --key F3: exit code 0, heard" ||
    fail "kalvor.exe --key F3: exit code $code, $(cat "$session/key.log")"

  # The slider: a click gives it the focus, End moves it to 100; the board writes vi.
  click_client $((64 + 64)) $((318 + 10))
  xdotool key End
  wait_until 10 eval '[ "$(ini_value data vi)" = 100 ]' &&
    pass "the slider moved with the keyboard wrote vi=100" ||
    fail "the slider did not write vi=100 (vi=$(ini_value data vi))"

  # A click on the sound, then "停止播放" while it is still loud.
  before=$(mark)
  click_grid 1 3
  if wait_until 10 heard_since "$before"; then
    read -r rms100 peak100 < <(level_after "$onset_" 2 10)
    pass "the click on \"$SOUND\" was heard: RMS $rms100 at volume 100"
    ratio=$(awk -v a="$rms57" -v b="$rms100" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
    awk -v r="$ratio" 'BEGIN { exit !(r > 0.4 && r < 0.75) }' &&
      pass "the restored volume 57 played at $ratio of volume 100" ||
      fail "volume 57 played at $ratio of volume 100 (restored volume not applied?)"
    click_grid 4 2
    stopped=$(mark)
    read -r _ peak < <(level_after "$stopped" 5 15)
    louder 0.01 "$peak" && pass "\"停止播放\" silenced it (peak $peak from 0.5 s to 2 s after)" ||
      fail "\"停止播放\" did not silence it (peak $peak)"
  else
    fail "the click on \"$SOUND\" was not heard"
  fi

  # Every page, through the tab control's keys.
  click_client 12 136
  for page in 2 3 4 5 6 7; do
    xdotool key Right
    sleep 0.5
    picture "$main_window" "main-window-page$page"
  done
  click_client 12 136

  # A right click on a sound button opens the hotkey dialog.
  click_grid 1 3 3
  if wait_until 10 find_window "$DIALOG"; then
    dialog=$found_
    pass "a right click opened \"$DIALOG\""
    sleep 0.5
    picture "$dialog" hotkey-dialog
    wmctrl -i -c "$dialog"
    wait_until 10 eval '! find_window "$DIALOG"' || fail "the hotkey dialog did not close"
  else
    fail "no \"$DIALOG\" after a right click"
  fi

  close_program
  [ "$(ini_value data id)" = 2 ] && [ "$(ini_value data vi)" = 100 ] &&
    [ "$(ini_value dat F3)" = "$SOUND" ] && pass "data.ini keeps device 2, volume 100, F3=$SOUND" ||
    fail "data.ini after the session: id=$(ini_value data id) vi=$(ini_value data vi) F3=$(ini_value dat F3)"
  wine_run "$program_dir/kalvor.exe" --stop >"$session/no-board.log" 2>&1
  code=$?
  [ $code -eq 1 ] && [ "$(wc -l <"$session/no-board.log")" -eq 1 ] &&
    pass "with no board, kalvor.exe --stop says so in one line and ends with 1" ||
    fail "with no board, --stop ended with $code: $(cat "$session/no-board.log")"
  wine_run "$program_dir/kalvor.exe" --key F11 >"$session/bad-key.log" 2>&1
  code=$?
  [ $code -eq 2 ] && grep -q '^usage: kalvor' "$session/bad-key.log" &&
    pass "kalvor.exe --key F11 shows the usage and ends with 2" ||
    fail "kalvor.exe --key F11 ended with $code: $(cat "$session/bad-key.log")"

elif [ "$mode" = installer ]; then
  # --- Installed, started, uninstalled ----------------------------------------------------------
  [ -f "$installer" ] || die "no installer at '$installer'"
  printf '[data]\r\nvi=33\r\n' >"$appdata/data.ini"
  target="$localappdata/Programs/Kalvor"
  shortcut="$appdata/Microsoft/Windows/Start Menu/Programs/$CAPTION.lnk"
  key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvor'
  started=$SECONDS
  wine_run "$installer" /S >"$session/install.log" 2>&1 || fail "the installer ended with $?"
  wait_until 60 test -f "$target/uninstall.exe" &&
    pass "the installer ran silently in $((SECONDS - started)) s" ||
    die "nothing installed in $target"
  for file in kalvor.exe readme.txt help/index.html uninstall.exe; do
    [ -f "$target/$file" ] || fail "not installed: $file"
  done
  [ -f "$shortcut" ] && pass "Start-menu entry: $CAPTION.lnk" || fail "no Start-menu entry at $shortcut"
  wine_run reg query "$key" /v UninstallString >"$session/reg.log" 2>&1 &&
    pass "registered for uninstalling under HKCU: $(grep -o '".*"' "$session/reg.log" | head -n 1)" ||
    fail "no uninstall entry under $key"

  start_program "$target/kalvor.exe" "$session/installed.log"
  [ -f "$localappdata/Kalvor/lib/bass.dll" ] && pass "the installed program deployed bass.dll to %LOCALAPPDATA%\\Kalvor\\lib" ||
    fail "no bass.dll in %LOCALAPPDATA%\\Kalvor\\lib"
  close_program

  wine_run "$target/uninstall.exe" /S >"$session/uninstall.log" 2>&1 || fail "the uninstaller ended with $?"
  # The uninstaller runs from a copy of itself in the temporary folder and returns at once.
  wait_until 60 eval '[ ! -e "$target/kalvor.exe" ] && [ ! -e "$target/uninstall.exe" ]' &&
    pass "the uninstaller removed the program" || fail "the program is still in $target"
  WINEPREFIX="$session/prefix" wineserver --wait
  [ ! -e "$target" ] || fail "the program folder is left: $(ls -A "$target")"
  [ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
  [ ! -e "$localappdata/Kalvor" ] || fail "%LOCALAPPDATA%\\Kalvor is left"
  wine_run reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is left"
  [ "$(ini_value data vi)" = 33 ] && pass "data.ini stays" || fail "data.ini is gone or changed"
else
  die "usage: $0 board|installer STATE_DIR PROGRAM_DIR [INSTALLER] [LINUX_INI_TOOL]"
fi

[ $failures -eq 0 ] && echo "all passed" || echo "$failures failure(s)"
[ $failures -eq 0 ]
