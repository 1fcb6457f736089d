#!/bin/bash
# Contact sheets of the entity art: one PNG per family (every sequence and still of a
# creature, trooper class or structure group, all frames side by side), made from the
# built program directory with the assetpack's sheet command.
#   buildtools/content/entity-sheets.sh <build dir> <output dir>
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
mkdir -p "${2:?output dir}"; out=$(cd "$2" && pwd)
native=$build/app/native
pack=$build/buildtools/assetpack/orvex-assetpack
mkdir -p "$out"
sheet() {  # <name> <files relative to the program dir>...
    local name=$1 files=() f
    shift
    for f in "$@"; do
        [ -e "$native/$f" ] && files+=("$native/$f")
    done
    if [ ${#files[@]} -gt 0 ]; then
        "$pack" sheet "$out/$name.png" "${files[@]}"
    fi
}
for c in minigun shotgun bazooka pyro sniper; do
    sheet trooper-$c troopers/$c/walk.bms troopers/$c/die.bms troopers/$c/gun.png
done
sheet trooper-unarmed troopers/unarmed/walk.bms troopers/unarmed/die.bms
sheet pet troopers/pet/walk.bms troopers/pet/die.bms
sheet hellhound chapter-1/hellhound/hellhound-walk.bms chapter-1/hellhound/hehound-die.bms
for f in chapter-1/leaper/leaper chapter-1/splitter/splitter chapter-2/bloater/bloater \
         chapter-2/quadblob/quadblob chapter-2/broodmother/broodmother chapter-3/jugger/jugger \
         chapter-3/raider/raider chapter-3/stalker/stalker chapter-3/ironjaw/ironjaw; do
    sheet "$(basename $f)" $f-walk.bms $f-die.bms
done
sheet den chapter-1/den/den-move.bms chapter-1/den/den-die.bms
sheet sandworm chapter-1/sandworm/sandworm-move.bms chapter-1/sandworm/sandworm-die.bms
sheet crabfly chapter-2/crabfly/crabfly-fly.bms chapter-2/crabfly/crabfly-die.bms
sheet egg chapter-2/egg/egg.bms chapter-2/egg/egg-die.bms
sheet cocoon chapter-2/cocoon/cocoon.bms chapter-2/cocoon/cocoon-die.bms
sheet structures bunker/bunker.bms bunker/launcher.bms bunker/powerplant.bms bunker/medtent.bms bunker/wreck.bms
sheet projectiles projectiles
sheet powerups powerups/glow.bms powerups
