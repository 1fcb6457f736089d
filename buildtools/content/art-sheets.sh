#!/bin/bash
# Contact sheets of the menu and interface art at its real size (no scaling, so what
# looks right here looks right in the game): one PNG per set, each picture labelled
# with its name, on the dark panel colour the menus put them on. Made from the built
# program directory with ImageMagick's montage (scripts/deps.sh installs it).
#   buildtools/content/art-sheets.sh <build dir> <output dir>
set -euo pipefail
native=$(cd "${1:?build dir}" && pwd)/app/native
mkdir -p "${2:?output dir}"; out=$(cd "$2" && pwd)
command -v montage >/dev/null || { echo "art-sheets: montage not found (apt-get install imagemagick)" >&2; exit 1; }
sheet() {  # <name> <columns> <files relative to the program dir>...
    local name=$1 columns=$2 files=() f
    shift 2
    for f in "$@"; do
        if [ -e "$native/$f" ]; then files+=(-label "$f" "$native/$f"); else echo "art-sheets: missing $f" >&2; fi
    done
    [ ${#files[@]} -gt 0 ] || return 0
    montage -background '#131a20' -fill '#e8eef2' -pointsize 11 -geometry "+${spacing:-8}+8" -tile "${columns}x" \
        "${files[@]}" "$out/$name.png"
    echo "art-sheets: $out/$name.png"
}
g=ui/gfx
# Sets of pictures of one size share a sheet (montage gives every tile the largest size);
# tiny ones get room for their labels.
sheet menus 1 $g/menu-bg.png
sheet menu-titles 1 $g/logo.png $g/banner-cloth.png $g/flag-victory.png
spacing=60 sheet menu-small 4 $g/star-small.png $g/star-small-empty.png $g/lock.png game-ui/star.png
sheet chapters 2 $g/chapter-1.png $g/chapter-2.png $g/chapter-3.png
sheet tutorial-pages 2 $g/howto-move.png $g/howto-fire.png $g/howto-shop.png $g/howto-tactical.png $g/howto-powerups.png
pictures=()
for f in "$native"/missions/pics/*.png; do
    [ -e "$f" ] && pictures+=("missions/pics/$(basename "$f")")
done
sheet mission-pictures 3 "${pictures[@]}"
spacing=24 sheet shop-icons 6 shop/repair.png shop/forcefield.png shop/artillery.png shop/heal.png shop/reinforcement.png \
    shop/squad.png shop/speed.png shop/honor.png shop/treasure.png shop/field-shop.png shop/extra-mission.png \
    shop/minigun.png shop/minigunpower.png shop/pyroboom.png
achievements=()
for f in "$native"/achievements/*.png; do
    [ -e "$f" ] && achievements+=("achievements/$(basename "$f")")
done
spacing=70 sheet achievement-icons 5 "${achievements[@]}"
