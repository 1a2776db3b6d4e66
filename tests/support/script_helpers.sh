# shellcheck shell=bash
# For the test scripts that drive the program on a private desktop: reporting each check, waiting,
# and ending processes. Sourced, not run.

# Checks report "ok:" or "FAIL:" lines; $failures counts the failures. A script that cannot run
# here says SKIPPED (CTest's skip expression) and ends with 0.
skip() {
  echo "SKIPPED: $*"
  exit 0
}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }
die() {
  fail "$*"
  exit 1
}

stop_pid() {  # stop_pid PID: SIGTERM, then SIGKILL after a grace period
  local pid=$1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null
  for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

stop_pidfile() {  # stop_pidfile FILE: stop_pid on the number FILE holds; FILE goes
  local file=$1 pid
  [ -f "$file" ] || return 0
  pid=$(cat "$file")
  rm -f "$file"
  stop_pid "$pid"
}

wait_until() {  # wait_until SECONDS COMMAND...: polls every 0.2 s; false when time ran out
  local deadline=$((SECONDS + $1))
  shift
  while ! "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.2
  done
}
