#!/usr/bin/env bash
# Proves the layering of the source tree: every #include "..." and every target_link_libraries()
# between our own CMake targets points down (or within a layer), never up or across.
#
#   scripts/check-layers.sh           prints the include graph between layers (edges with counts)
#                                     and every offending include or link; non-zero when any
#
# The layers, top to bottom (see docs/architecture.md):
#   app                main() and the start-up sequence: the one place that knows every layer
#   board              forms, catalogue and every window's handlers, the settings schema
#   audio, resources   the player and its front end; the embedded blocks and their deployment
#   platform           platform/platform_services.h, the one interface the layers above see
#   platform/null      the null platform beside it (tools, benchmarks and tests only)
#   platform/qt, platform/win32   the toolkit platforms, over
#   platform/forms     the window bookkeeping they share (no toolkit), and
#   platform/hotkeys   the global hotkey service, its backend interface and the backends, over
#   platform/core      the toolkit-free core
# Beside them: audiolib (our audio library, on its own; others may include its C header
# audiolib/bass_library.h only), tools (build-time programs), bench (anything) and tests/, whose
# folders mirror the layers and see what their layer sees, the tests of those layers, a concrete
# platform to run on and tests/support.
set -euo pipefail
shopt -s extglob
cd "$(dirname "$0")/.."

# The layer a file belongs to, in UNIT.
unit_of() {
  local rest
  case $1 in
    app/*) UNIT=app ;;
    board/*) UNIT=board ;;
    audio/*) UNIT=audio ;;
    resources/*) UNIT=resources ;;
    platform/null_platform.*) UNIT=platform/null ;;
    platform/*/*)
      rest=${1#platform/}
      UNIT="platform/${rest%%/*}"
      ;;
    platform/*) UNIT=platform ;;
    audiolib/*) UNIT=audiolib ;;
    tools/*) UNIT=tools ;;
    bench/*) UNIT=bench ;;
    tests/platform/*/*)
      rest=${1#tests/platform/}
      UNIT="tests/platform/${rest%%/*}"
      ;;
    tests/*/*)
      rest=${1#tests/}
      UNIT="tests/${rest%%/*}"
      ;;
    tests/*) UNIT=tests ;;  # files at the top of tests/
    *) UNIT=other ;;
  esac
}

# The layers a code layer may include or link, besides itself.
code_allowed() {
  case $1 in
    app) echo "board audio resources platform platform/core platform/qt platform/hotkeys platform/win32" ;;
    board) echo "audio resources platform" ;;
    audio) echo "platform audiolib-header" ;;
    resources) echo "platform" ;;
    platform/qt | platform/win32) echo "platform/forms platform/hotkeys platform/core platform" ;;
    platform/forms) echo "platform/core platform" ;;
    platform/hotkeys) echo "platform/core platform" ;;
    platform/core) echo "platform" ;;
    platform/null) echo "platform/core platform" ;;
    tools) echo "resources platform/null platform/core platform" ;;
    platform | audiolib | tests/support | tests | other) echo "" ;;
    *) echo "*" ;;  # bench, tests/e2e, tests/faults, tests/fuzz
  esac
}

# For tests/<x>: what <x> may see, <x> itself, the tests of all those, tests/support, and a
# platform to run on (the null platform everywhere; any platform above the platform layer).
allowed_for() {
  local unit=$1
  case $unit in
    tests/support | tests) code_allowed "$unit" ;;
    tests/*)
      local layer=${unit#tests/} seen
      seen=$(code_allowed "$layer")
      if [ "$seen" = "*" ]; then
        echo "*"
        return
      fi
      seen="$layer ${seen/audiolib-header/audiolib}"
      local out="tests/support platform/null" u
      for u in $seen; do out="$out $u tests/$u"; done
      case $layer in
        platform* | audiolib) ;;
        *) out="$out platform/core platform/qt platform/hotkeys platform/win32" ;;
      esac
      echo "$out"
      ;;
    *) code_allowed "$unit" ;;
  esac
}

# may FROM TO TARGET_FILE: true when layer FROM may use layer TO (TARGET_FILE: the file included,
# or "" for a link between targets).
declare -A allowed_cache=()
may() {
  local from=$1 to=$2 file=$3 allowed
  [ "$from" = "$to" ] && return 0
  if [ -z "${allowed_cache[$from]+set}" ]; then allowed_cache[$from]=" $(allowed_for "$from") "; fi
  allowed=${allowed_cache[$from]}
  [ "$allowed" = " * " ] && return 0
  [[ $allowed == *" $to "* ]] && return 0
  [ "$to" = audiolib ] && [ "$file" = audiolib/bass_library.h ] &&
    [[ $allowed == *" audiolib-header "* ]]
}

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
    '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | sort -u)
  mapfile -t cmake_files < <(git ls-files --cached --others --exclude-standard -- \
    'CMakeLists.txt' '*/CMakeLists.txt' '*.cmake' | sort -u)
else
  mapfile -t files < <(find . -path './build*' -prune -o -type f \
    \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \) \
    -print | sed 's|^\./||' | sort)
  mapfile -t cmake_files < <(find . -path './build*' -prune -o -type f \
    \( -name CMakeLists.txt -o -name '*.cmake' \) -print | sed 's|^\./||' | sort)
fi

problems=0
declare -A edges=()
for file in "${files[@]}"; do
  [ -f "$file" ] || continue
  unit_of "$file"
  from=$UNIT
  dir=${file%/*}
  [ "$dir" = "$file" ] && dir=.
  while IFS=: read -r line included; do
    if [ -f "$dir/$included" ]; then
      target=$(realpath -m --relative-to=. "$dir/$included")
    elif [ -f "$included" ]; then
      target=$included
    else
      echo "$file:$line: #include \"$included\" is neither beside the file nor under the top of the tree"
      problems=$((problems + 1))
      continue
    fi
    unit_of "$target"
    to=$UNIT
    [ "$from" = "$to" ] && continue
    edges["$from -> $to"]=$((${edges["$from -> $to"]:-0} + 1))
    if ! may "$from" "$to" "$target"; then
      echo "$file:$line: #include \"$included\": $from may not include $to"
      problems=$((problems + 1))
    fi
  done < <(awk 'match($0, /^[ \t]*#[ \t]*include[ \t]*"[^"]*"/) {
                  name = substr($0, RSTART, RLENGTH); sub(/^[^"]*"/, "", name); sub(/"$/, "", name)
                  print FNR ":" name }' "$file")
done

# Our CMake targets, the layer each belongs to (that of its first source file, else that of its
# folder), and the links between them.
declare -A target_unit=()
links=()
for cmake in "${cmake_files[@]}"; do
  [ -f "$cmake" ] || continue
  dir=$(dirname "$cmake")
  # One command per line: comments dropped, continuation lines joined up to the closing bracket.
  while read -r command name rest; do
    case $command in
      add_library | add_executable)
        first=""
        for word in $rest; do
          case $word in
            STATIC | SHARED | OBJECT | MODULE | INTERFACE | EXCLUDE_FROM_ALL | WIN32) ;;
            *)
              first=$word
              break
              ;;
          esac
        done
        if [ -n "$first" ] && [[ $first != *'$'* ]]; then
          unit_of "$(realpath -m --relative-to=. "$dir/$first")"
        else
          unit_of "$dir/CMakeLists.txt"
        fi
        target_unit[$name]=$UNIT
        ;;
      target_link_libraries)
        for word in $rest; do links+=("$cmake $name $word"); done
        ;;
    esac
  done < <(sed 's/#.*//' "$cmake" | tr '\n' ' ' | sed 's/)/)\n/g' |
    sed -n 's/^[[:space:]]*\(add_library\|add_executable\|target_link_libraries\)[[:space:]]*(\([^)]*\)).*/\1 \2/p')
done
declare -A link_edges=()
for link in "${links[@]}"; do
  read -r cmake name word <<<"$link"
  [ -n "${target_unit[$name]:-}" ] && [ -n "${target_unit[$word]:-}" ] || continue
  from=${target_unit[$name]} to=${target_unit[$word]}
  [ "$from" = "$to" ] && continue
  link_edges["$from -> $to"]=1
  # No layer links our audio library except its own tests, benchmarks and the fault and fuzz
  # tests: the program binds it by name at run time.
  if ! may "$from" "$to" "" || { [ "$to" = audiolib ] && ! may "$from" audiolib x; }; then
    echo "$cmake: $name links $word: $from may not link $to"
    problems=$((problems + 1))
  fi
done

print_edges() {  # print_edges TITLE PATTERN: the edges whose first layer matches
  echo "$1"
  for edge in "${!edges[@]}"; do
    # shellcheck disable=SC2053  # the pattern is a glob on purpose
    if [[ $edge == $2 ]]; then printf '  %-46s %5d\n' "$edge" "${edges[$edge]}"; fi
  done | sort
}
print_edges "Include graph between the program's layers (includes per edge):" '!(tests*|bench*)'
print_edges "Tests and benchmarks:" '@(tests|bench)*'
# Layers that include each other in a ring, through any number of steps.
if ! cycle=$(for edge in "${!edges[@]}"; do echo "${edge/ -> / }"; done | tsort 2>&1 >/dev/null); then
  echo "Include cycle between layers:"
  echo "$cycle"
  problems=$((problems + 1))
fi
if [ $problems -ne 0 ]; then
  echo "check-layers: $problems include(s) or link(s) point up or across the layers"
  exit 1
fi
echo "check-layers: ${#files[@]} files, ${#edges[@]} edges, ${#link_edges[@]} target link edges: every include and link points down"
