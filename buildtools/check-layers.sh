#!/usr/bin/env bash
# Checks that the includes of the source tree point down the layers:
#
#   the engine       include/ <- platform/ <- core/ <- gfx/, audio/
#   the application  include/ <- app/services/ <- app/ui/ <- online/ <- game/ <- tools/ <- entry/
#
# A file may include its own folder's files and any folder below its own in its stack;
# gfx/ and audio/ stand side by side and include neither each other. The application
# reaches the engine only through the interface headers of include/. Sub-folders belong
# to their folder (core/fs, game/entities, app/ui/widgets, ...). Tests, benchmarks,
# fuzz targets and the build-time tools sit outside the layers and are not checked.
#
#   bash buildtools/check-layers.sh [ROOT]    checks the tree at ROOT (default: here)
#   bash buildtools/check-layers.sh --self-test
#                                             checks a made-up tree with known faults
#
# Prints one line per include that points up or sideways and fails when there is one.
set -euo pipefail

# Layer of each folder: "stack rank". include/ is the floor of both stacks.
declare -A LAYER=(
  [include]="any 0"
  [platform]="engine 1" [core]="engine 2" [gfx]="engine 3" [audio]="engine 3"
  [app/services]="app 1" [app/ui]="app 2" [online]="app 3" [game]="app 4" [tools]="app 5" [entry]="app 6"
)
FOLDERS=(include platform core gfx audio app/services app/ui online game tools entry)

# The layer folder a repository path belongs to, in FOLDER (empty when none).
folder_of() {
  local path=$1 f
  FOLDER=
  for f in "${FOLDERS[@]}"; do
    if [[ $path == "$f"/* ]]; then
      FOLDER=$f
      return
    fi
  done
}

# Whether a file in folder $1 may include a file in folder $2.
allowed() {
  local from=$1 to=$2
  [[ $from == "$to" ]] && return 0
  local from_stack from_rank to_stack to_rank
  read -r from_stack from_rank <<<"${LAYER[$from]}"
  read -r to_stack to_rank <<<"${LAYER[$to]}"
  [[ $to_stack == any || $to_stack == "$from_stack" ]] || return 1
  ((to_rank < from_rank))
}

# Checks the tree at $1; prints the faults and returns 1 when there is any.
check_tree() {
  local root=$1 faults=0 file line text target from to dir
  local quoted='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"'
  local angled='^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]+)>'
  while IFS= read -r file; do
    folder_of "$file"
    from=$FOLDER
    dir=${file%/*}
    while IFS=: read -r line text; do
      if [[ $text =~ $quoted ]]; then
        target=${BASH_REMATCH[1]}
      elif [[ $text =~ $angled ]]; then
        target=${BASH_REMATCH[1]}
        # A system header (<vector>, <GLES/gl.h>) names no folder of the tree.
        folder_of "$target"
        [[ -n $FOLDER ]] || continue
      else
        continue
      fi
      # A name beside the including file, or in include/, is resolved there first.
      if [[ $text =~ $quoted && -e $root/$dir/$target ]]; then
        folder_of "$dir/$target"
      elif [[ -e $root/include/$target ]]; then
        FOLDER=include
      else
        folder_of "$target"
      fi
      to=$FOLDER
      [[ -n $to ]] || continue
      if ! allowed "$from" "$to"; then
        echo "$file:$line: includes \"$target\": $from/ may not include $to/"
        faults=$((faults + 1))
      fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$root/$file" || true)
  done < <(cd "$root" && for f in "${FOLDERS[@]}"; do
             [[ -d $f ]] && find "$f" -type f \( -name '*.cpp' -o -name '*.c' -o -name '*.h' \)
           done | sort -u)
  if ((faults > 0)); then
    echo "$faults include(s) point up or across the layers."
    return 1
  fi
  return 0
}

# A made-up tree: the faults it holds must be reported, and nothing else.
self_test() {
  local tree
  tree=$(mktemp -d "${TMPDIR:-/tmp}/check-layers-XXXXXX")
  trap 'rm -rf "$tree"' RETURN
  mkdir -p "$tree"/{include,platform,core/fs,gfx,audio,app/services,app/ui/widgets,online,game/entities,tools,entry}
  local f
  for f in include/orvex.h platform/screen.h core/ov_state.h core/fs/fs.h gfx/window.h audio/sound.h \
           app/services/prog.h app/ui/screen.h app/ui/widgets/button.h online/news.h game/scape.h \
           game/entities/entity.h tools/editor.h entry/entry.h; do
    : >"$tree/$f"
  done
  # Allowed: own folder (by path and beside the file), below in the stack, include/.
  printf '#include "core/ov_state.h"\n#include "window.h"\n#include "platform/screen.h"\n#include "orvex.h"\n' >"$tree/gfx/draw.cpp"
  printf '#include "fs.h"\n#include "core/ov_state.h"\n#include <vector>\n' >"$tree/core/fs/files.cpp"
  printf '#include "game/scape.h"\n#include "tools/editor.h"\n#include "online/news.h"\n#include "app/ui/widgets/button.h"\n' >"$tree/entry/entry.cpp"
  printf '#include "game/scape.h"\n#include "entity.h"\n' >"$tree/game/entities/entity.cpp"
  # Faults: up the engine, across the engine, from the application into the engine,
  # up the application.
  printf '#include "core/ov_state.h"\n#include "gfx/window.h"\n' >"$tree/core/startup.cpp"
  printf '#include "audio/sound.h"\n' >"$tree/gfx/hud.cpp"
  printf '#include "app/services/prog.h"\n#include "core/ov_state.h"\n' >"$tree/app/ui/screen.cpp"
  printf '#include "entry/entry.h"\n' >"$tree/game/scape.cpp"
  printf '#include "game/scape.h"\n#include <string.h>\n#include <tools/editor.h>\n' >"$tree/app/ui/widgets/button.cpp"

  local out status=0
  out=$(check_tree "$tree") || status=$?
  local expected
  expected=$(printf '%s\n' \
    'app/ui/screen.cpp:2: includes "core/ov_state.h": app/ui/ may not include core/' \
    'app/ui/widgets/button.cpp:1: includes "game/scape.h": app/ui/ may not include game/' \
    'app/ui/widgets/button.cpp:3: includes "tools/editor.h": app/ui/ may not include tools/' \
    'core/startup.cpp:2: includes "gfx/window.h": core/ may not include gfx/' \
    'game/scape.cpp:1: includes "entry/entry.h": game/ may not include entry/' \
    'gfx/hud.cpp:1: includes "audio/sound.h": gfx/ may not include audio/' \
    '6 include(s) point up or across the layers.')
  if [[ $status -ne 1 || $out != "$expected" ]]; then
    echo "self-test failed (status $status); the check said:"
    echo "$out"
    echo "expected:"
    echo "$expected"
    return 1
  fi
  echo "self-test passed: the six faults of the made-up tree were reported."
}

if [[ ${1:-} == --self-test ]]; then
  self_test
else
  root=${1:-.}
  check_tree "$root"
  echo "Every include points down the layers."
fi
