#!/usr/bin/env python3
# Writes the briefing pictures of the chapter missions from their level files: the
# level's ground, sandbags, the mission's starting squad, and the creatures named below
# coming from the right (the boss larger). The image budget of the program directory
# allows a dozen of them, so missions that bring the same creatures share one
# ("missions.xml" names each mission's "pic"); a picture shows only creatures and
# troopers that every mission using it holds (tests/buildtools/test_mission_pictures.cpp
# checks it). The first picture of a chapter is the chapter's ("chapter-<c>.svg").
# Run it again after a level's squad or creatures change:
#
#   python3 buildtools/content/mission-pics.py [content dir]
#
# The output is plain SVG with palette colours and includes, built like any other art.
import os
import random
import re
import sys

CONTENT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', '..', 'content')
ART = os.path.join(CONTENT, 'art')
OUT = os.path.join(ART, 'missions', 'pics')
W, H = 480, 270

# Each picture: the level whose ground and squad it shows, and the creatures it shows.
PICTURES = [
    ('chapter-1', 1, 1, ['Hellhound']),
    ('mission-1-4', 1, 4, ['Splitter', 'Hellhound', 'Leaper']),
    ('mission-1-6', 1, 6, ['Den', 'Splitter', 'Hellhound', 'Leaper']),
    ('mission-1-10', 1, 10, ['Sandworm', 'Hellhound', 'Splitter']),
    ('chapter-2', 2, 1, ['Crabfly']),
    ('mission-2-3', 2, 3, ['Broodmother', 'Crabfly', 'Cocoon']),
    ('mission-2-4', 2, 4, ['Bloater', 'Crabfly']),
    ('mission-2-10', 2, 10, ['BroodQueen', 'Crabfly', 'Bloater']),
    ('chapter-3', 3, 1, ['Jugger']),
    ('mission-3-4', 3, 4, ['Raider', 'Jugger']),
    ('mission-3-5', 3, 5, ['Jugger', 'Crabfly', 'Quadblob', 'Bloater']),
    ('mission-3-10', 3, 10, ['Ironjaw', 'Stalker', 'Jugger']),
]
TINT = {1: 'ember', 2: 'marsh-dark', 3: 'foundry-dark'}


def entity_types():
    text = open(os.path.join(CONTENT, 'entities.xml')).read()
    types = {}
    for m in re.finditer(r'<node id="(\w+)"([^>]*)/>', text, re.S):
        attrs = dict(re.findall(r'(\w+)="([^"]*)"', m.group(2)))
        types[m.group(1)] = attrs
    return types


def art_of(bm_move):
    """The source drawing of a walk sequence: chapter-1/hellhound/x.bms -> chapter-1/hellhound/hellhound.svg."""
    folder = os.path.dirname(bm_move)
    svg = os.path.join(folder, os.path.basename(folder) + '.svg')
    return svg if os.path.exists(os.path.join(ART, svg)) else None


def size_of(svg):
    head = open(os.path.join(ART, svg)).read(400)
    w = float(re.search(r'width="([\d.]+)"', head).group(1))
    h = float(re.search(r'height="([\d.]+)"', head).group(1))
    return w, h


def is_boss(attrs):
    """A creature of a thousand hit points or more."""
    return float(attrs.get('hit_points', '0')) >= 1000


def place(svg, x, y, angle, scale):
    w, h = size_of(svg)
    return ('  <g transform="translate(%g %g) rotate(%g) scale(%g) translate(%g %g)">'
            '<!--#include "../../%s"--></g>\n' % (round(x, 1), round(y, 1), round(angle, 1), round(scale, 3), -w / 2,
                                                -h / 2, svg))


def picture(chapter, mission, kinds, types):
    level = open(os.path.join(CONTENT, 'missions', '%d_%d.xml' % (chapter, mission))).read()
    rng = random.Random('%d_%d' % (chapter, mission))
    ground = re.search(r'id="background" value="terrain/bg/([\w-]+)\.png"', level).group(1)
    squad = re.findall(r'<node type="(\w+Trooper)"', re.search(r'id="starting_troopers">(.*?)</array>', level,
                                                                re.S).group(1))
    drawn = [(t, art_of(types[t]['bm_move'])) for t in kinds]

    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n' % (W, H, W, H),
           '<!-- written by buildtools/content/mission-pics.py from mission %d-%d: the squad (%s) and %s -->\n' %
           (chapter, mission, ', '.join(squad), ', '.join(t for t, _ in drawn)),
           '  <g transform="translate(0 -57) scale(0.5)"><!--#include "../../terrain/bg/%s.svg"--></g>\n' % ground]
    for y in (95, 175):
        out.append(place('terrain/obstacles/sandbag.svg', 150, y, 90, 0.75))
    # The squad in a column behind the sandbags, facing the creatures.
    n = len(squad)
    ys = [135 + (i - (n - 1) / 2.0) * min(62, 220 / max(n, 1)) for i in range(n)]
    for cls, y in zip(squad, ys):
        folder = 'troopers/' + cls.replace('Trooper', '').lower()
        angle = rng.uniform(-8, 8)
        out.append(place(folder + '/' + folder.split('/')[1] + '.svg', 112, y, angle, 1.5))
        out.append(place(folder + '/gun.svg', 112, y, angle, 1.5))
    # The creatures over the right half, the boss large and in front.
    slots = [(300, 70), (345, 205), (405, 110), (440, 225), (380, 40), (270, 160), (440, 160)]
    rng.shuffle(slots)
    targets = []
    for i, (t, art) in enumerate(drawn):
        boss = is_boss(types[t])
        w, _ = size_of(art)
        scale = min(1.6, 120.0 / w) if boss else min(1.3, 72.0 / w)
        count = 1 if boss else (3 if len(drawn) == 1 else 2 if len(drawn) <= 2 else 1)
        for k in range(count):
            x, y = (330, 135) if boss else slots.pop()
            out.append(place(art, x, y, 180 + rng.uniform(-15, 15), scale))
            targets.append((x, y))
    # Tracers from the squad at the nearest creatures.
    for y in ys[:3]:
        if targets:
            tx, ty = min(targets, key=lambda p: abs(p[1] - y))
            out.append('  <path d="M%d %d L%d %d" stroke="{{spark}}" stroke-width="2" stroke-linecap="round" '
                       'opacity="0.8"/>\n' % (136, y - 2, tx - 24, ty + rng.uniform(-6, 6)))
    out.append('  <rect width="%d" height="%d" fill="{{%s}}" opacity="0.1"/>\n' % (W, H, TINT[chapter]))
    out.append('  <defs><radialGradient id="vig" cx="0.5" cy="0.5" r="0.75"><stop offset="0.55" '
               'stop-color="{{black}}" stop-opacity="0"/><stop offset="1" stop-color="{{black}}" '
               'stop-opacity="0.6"/></radialGradient></defs>\n')
    out.append('  <rect width="%d" height="%d" fill="url(#vig)"/>\n' % (W, H))
    out.append('  <rect x="1" y="1" width="%d" height="%d" fill="none" stroke="{{ui-panel-dark}}" '
               'stroke-width="2" opacity="0.8"/>\n' % (W - 2, H - 2))
    out.append('</svg>\n')
    return ''.join(out)


def main():
    types = entity_types()
    for name, chapter, mission, kinds in PICTURES:
        with open(os.path.join(OUT, name + '.svg'), 'w') as f:
            f.write(picture(chapter, mission, kinds, types))


if __name__ == '__main__':
    main()
