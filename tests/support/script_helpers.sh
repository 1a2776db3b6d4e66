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

# stop_pid, stop_pidfile, wait_until
# shellcheck source=tests/support/process_helpers.sh
. "$(dirname "${BASH_SOURCE[0]}")/process_helpers.sh"

# For a script run as "NAME start|stop STATE_DIR" that defines stop(): "stop" stops and ends the
# script, "start" goes on, anything else ends it with the usage.
start_or_stop() {
  case $1 in
    stop)
      stop
      exit 0
      ;;
    start) ;;
    *)
      echo "usage: $0 start|stop STATE_DIR" >&2
      exit 2
      ;;
  esac
}

# needs_tools WHAT TOOL...: says SKIPPED and ends with 0 unless every tool is installed.
needs_tools() {
  local what=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed; $what"
  done
}
