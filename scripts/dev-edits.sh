#!/usr/bin/env bash
# The developer tools save their edits in the run folder's user data, under
# "dev-edits/" (a developer-mode run loads them from there before the shipped data).
# This shows them against content/ or copies them back into it.
#
#   bash scripts/dev-edits.sh [--apply] [--run-dir DIR] [--content DIR]
#
# Without --apply every edit is listed with a diff against the same path under
# content/ ("new" when content/ has no such file). --apply copies each edit to that
# path (the ".bak" and ".tmp" files never). The level editor's terrain export
# ("terrain-export.xml") is only listed, for a manual merge into a level.
# DIR defaults: the run folder of scripts/run.sh, this repository's content/.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
run_dir="${XDG_DATA_HOME:-$HOME/.local/share}/orvex-game"
content="$src/content"
apply=0
while [ $# -gt 0 ]; do
  case "$1" in
    --apply) apply=1 ;;
    --run-dir) run_dir="${2:?--run-dir needs a folder}"; shift ;;
    --content) content="${2:?--content needs a folder}"; shift ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "dev-edits.sh: unknown argument '$1'" >&2; exit 2 ;;
  esac
  shift
done
[ -d "$content" ] || { echo "dev-edits.sh: no content folder '$content'" >&2; exit 2; }

# user:// is <run folder>/data/<developer>/<program>/: every dev-edits folder in there.
mapfile -t folders < <(find "$run_dir/data" -mindepth 1 -maxdepth 3 -type d -name dev-edits 2>/dev/null | sort)
if [ ${#folders[@]} -eq 0 ]; then
  echo "No saved edits under $run_dir/data."
  exit 0
fi

status=0
for folder in "${folders[@]}"; do
  while IFS= read -r -d '' file; do
    rel="${file#"$folder"/}"
    case "$rel" in
      *.bak|*.tmp) continue ;;
      terrain-export.xml)
        echo "manual merge: $file (terrain export: copy its arrays into a level by hand)"
        continue ;;
    esac
    target="$content/$rel"
    if [ "$apply" -eq 1 ]; then
      mkdir -p "$(dirname "$target")"
      cp -- "$file" "$target"
      echo "applied: $rel"
    elif [ -f "$target" ]; then
      if cmp -s "$file" "$target"; then
        echo "unchanged: $rel"
      else
        echo "changed: $rel"
        diff -u --label "content/$rel" --label "dev-edits/$rel" "$target" "$file" || true
      fi
    else
      echo "new: $rel"
    fi
  done < <(find "$folder" -type f -print0 | sort -z)
done
exit $status
