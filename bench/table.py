#!/usr/bin/env python3
"""Formats the RESULT lines of bench/run.sh as Markdown tables."""
import re
import shlex
import sys

PROGS = ["orvex-headless", "orvex-xvfb", "sdl-opengl", "sdl-opengles2", "love"]
PEERS = ["sdl-opengl", "sdl-opengles2", "love"]


def parse(path):
    rows = []
    for line in open(path):
        if not line.startswith("RESULT"):
            continue
        d = {}
        for tok in shlex.split(line)[1:]:
            k, _, v = tok.partition("=")
            d[k] = v
        if d.get("prog") == "orvex":
            d["prog"] = "orvex-" + d.get("backend", "?")
        rows.append(d)
    return rows


def num(d, k):
    try:
        return float(d[k])
    except (KeyError, ValueError):
        return None


def fmt(x, digits=1):
    if x is None:
        return "–"
    if abs(x) >= 1e6:
        return "%.2fM" % (x / 1e6)
    if abs(x) >= 1e4:
        return "%.0fk" % (x / 1e3)
    return ("%." + str(digits) + "f") % x


def main():
    rows = parse(sys.argv[1])
    keyed = {}
    ceilings = {}
    order = []
    for d in rows:
        if d.get("prog") == "ceiling":
            ceilings[(d["size"], d["n"])] = num(d, "pixels_per_s")
            continue
        if "scene" not in d:
            continue
        key = (d["scene"], d["size"], d["textures"], d["n"]) if d["scene"] == "sprites" else ("text", "", "", d["n"])
        if key not in keyed:
            keyed[key] = {}
            order.append(key)
        keyed[key][d["prog"]] = d

    print("## Frames per second (higher is better)\n")
    head = ["scene", "N"] + PROGS + ["ours sprites/s (xvfb)"] + ["ours/" + p for p in PEERS] + ["ours draws/frame"]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for key in order:
        r = keyed[key]
        scene = "text" if key[0] == "text" else "%sx%s, %s tex" % (key[1], key[1], key[2])
        fps = {p: num(r[p], "fps") if p in r else None for p in PROGS}
        ours = fps.get("orvex-xvfb")
        cells = [scene, key[3]] + [fmt(fps[p]) for p in PROGS]
        cells.append(fmt(num(r["orvex-xvfb"], "items_per_s") if "orvex-xvfb" in r else None))
        for p in PEERS:
            cells.append("%.2f" % (ours / fps[p]) if ours and fps[p] else "–")
        cells.append(fmt(num(r["orvex-headless"], "draws_per_frame") if "orvex-headless" in r else None))
        print("| " + " | ".join(cells) + " |")

    print("\n## Fill rate of the 32x32 scenes against the scalar blend ceiling (sprite pixels/s)\n")
    head = ["scene", "N", "ceiling (1 thread, scalar)"] + [p for p in PROGS] + ["ours headless / ceiling"]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for key in order:
        if key[0] != "sprites" or key[1] != "32":
            continue
        r = keyed[key]
        px = 32 * 32
        ceil = ceilings.get(("32", key[3]))
        cells = ["32x32, %s tex" % key[2], key[3], fmt(ceil)]
        for p in PROGS:
            v = num(r[p], "items_per_s") if p in r else None
            cells.append(fmt(v * px if v else None))
        v = num(r["orvex-headless"], "items_per_s") if "orvex-headless" in r else None
        cells.append("%.2f" % (v * px / ceil) if v and ceil else "–")
        print("| " + " | ".join(cells) + " |")

    print("\n## Start-up to the first presented frame and peak RSS\n")
    head = ["program", "start-up ms (32x32, N=1000)", "peak RSS MB (32x32, N=1000)", "peak RSS MB (largest N)",
            "start-up ms (text)", "peak RSS MB (text)"]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    small = next((k for k in order if k[0] == "sprites" and k[1] == "32" and k[2] == "1"), None)
    big = max((k for k in order if k[0] == "sprites" and k[1] == "32" and k[2] == "1"), key=lambda k: int(k[3]),
              default=None)
    text = next((k for k in order if k[0] == "text"), None)
    for p in PROGS:
        def get(k, f, scale=1.0):
            if k is None or p not in keyed[k]:
                return None
            v = num(keyed[k][p], f)
            return v * scale if v is not None else None
        print("| %s | %s | %s | %s | %s | %s |" % (
            p, fmt(get(small, "startup_ms")), fmt(get(small, "peak_rss_kb", 1 / 1024)),
            fmt(get(big, "peak_rss_kb", 1 / 1024)), fmt(get(text, "startup_ms")), fmt(get(text, "peak_rss_kb", 1 / 1024))))


if __name__ == "__main__":
    main()
