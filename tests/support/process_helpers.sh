# shellcheck shell=bash
# Ending processes and waiting for a condition, for the scripts of the tests and benchmarks that
# run programs on a private desktop. Sourced, not run.

stop_pid() {  # stop_pid PID, or -PGID for a whole process group: SIGTERM, SIGKILL after a grace period
  local pid=$1
  [ -n "$pid" ] && kill -0 -- "$pid" 2>/dev/null || return 0
  kill -TERM -- "$pid" 2>/dev/null
  for _ in $(seq 30); do
    kill -0 -- "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL -- "$pid" 2>/dev/null
  wait "${pid#-}" 2>/dev/null
  return 0
}

stop_pidfile() {  # stop_pidfile FILE: stop_pid on the number FILE holds; FILE goes
  local file=$1 pid
  [ -f "$file" ] || return 0
  pid=$(cat "$file")
  rm -f "$file"
  stop_pid "$pid"
}

wait_until() {  # wait_until SECONDS COMMAND...: polls every 0.1 s; false when time ran out
  local deadline=$((SECONDS + $1))
  shift
  while ! "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}
