#!/usr/bin/env python3
"""Formats the RESULT lines of bench/run.sh as Markdown tables: the median of the
repetitions of each cell, with the spread (lowest to highest, in % of the median)."""
import re
import shlex
import statistics
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


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def spread(values):
    """Lowest to highest of the repetitions, in % of their median."""
    values = [v for v in values if v is not None]
    if len(values) < 2:
        return None
    m = statistics.median(values)
    return (max(values) - min(values)) / m * 100 if m else None


def cell(values):
    m, s = median(values), spread(values)
    if m is None:
        return "–"
    return fmt(m) + (" ±%.0f%%" % (s / 2) if s is not None else "")


def main():
    rows = parse(sys.argv[1])
    keyed, order, ceilings = {}, [], {}
    for d in rows:
        if d.get("prog") == "ceiling":
            ceilings.setdefault((d["size"], d["n"], d.get("threads", "1")), []).append(num(d, "pixels_per_s"))
            continue
        if "scene" not in d:
            continue
        key = (d["scene"], d["size"], d["textures"], d["n"]) if d["scene"] == "sprites" else ("text", "", "", "")
        if key not in keyed:
            keyed[key] = {}
            order.append(key)
        keyed[key].setdefault(d["prog"], []).append(d)
    threads = sorted({k[2] for k in ceilings if k[2] != "1"})

    def values(key, prog, field, scale=1.0):
        return [num(d, field) * scale if num(d, field) is not None else None for d in keyed[key].get(prog, [])]

    def med(key, prog, field, scale=1.0):
        return median(values(key, prog, field, scale))

    reps = max((len(v) for r in keyed.values() for v in r.values()), default=0)
    print("## Frames per second: median of %d runs, ± half the spread (higher is better)\n" % reps)
    head = ["scene", "N"] + PROGS + ["ours (xvfb) / best peer", "ours / love", "ours draws/frame", "ours context",
                                     "peak RSS MB ours (xvfb) / lowest peer"]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for key in order:
        scene = "text" if key[0] == "text" else "%sx%s, %s tex" % (key[1], key[1], key[2])
        n = key[3]
        if key[0] == "text":
            n = "%s glyphs" % fmt(med(key, "orvex-xvfb", "n"), 0)
        cells = [scene, n] + [cell(values(key, p, "fps")) for p in PROGS]
        ours = med(key, "orvex-xvfb", "fps")
        peers = [med(key, p, "fps") for p in PEERS]
        best = max((p for p in peers if p), default=None)
        love = med(key, "love", "fps")
        cells.append("%.2f" % (ours / best) if ours and best else "–")
        cells.append("%.2f" % (ours / love) if ours and love else "–")
        cells.append(fmt(med(key, "orvex-headless", "draws_per_frame")))
        ctx = sorted({d.get("context", "?") for d in keyed[key].get("orvex-xvfb", [])})
        cells.append("/".join(ctx))
        rss = med(key, "orvex-xvfb", "peak_rss_kb", 1 / 1024)
        peer_rss = [med(key, p, "peak_rss_kb", 1 / 1024) for p in PEERS]
        low = min((r for r in peer_rss if r), default=None)
        cells.append("%s / %s" % (fmt(rss, 0), fmt(low, 0)))
        print("| " + " | ".join(cells) + " |")

    text = next((k for k in order if k[0] == "text"), None)
    if text:
        print("\nGlyphs drawn per frame in the text scene (median): " + ", ".join(
            "%s %s" % (p, fmt(med(text, p, "n"), 0)) for p in PROGS))

    print("\n## Fill rate against the blend ceilings (sprite pixels/s, medians)\n")
    head = ["scene", "N", "ceiling 1 thread"] + ["ceiling %s threads" % t for t in threads] + \
        ["orvex-headless", "orvex-xvfb", "ours headless / 1-thread ceiling"] + \
        ["ours headless / %s-thread ceiling" % t for t in threads]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for key in order:
        if key[0] != "sprites" or key[2] != "1":
            continue
        px = int(key[1]) ** 2
        c1 = median(ceilings.get((key[1], key[3], "1"), []))
        cn = [median(ceilings.get((key[1], key[3], t), [])) for t in threads]
        head_px = med(key, "orvex-headless", "items_per_s", px)
        xvfb_px = med(key, "orvex-xvfb", "items_per_s", px)
        cells = ["%sx%s, 1 tex" % (key[1], key[1]), key[3], fmt(c1)] + [fmt(c) for c in cn] + \
            [fmt(head_px), fmt(xvfb_px), "%.2f" % (head_px / c1) if head_px and c1 else "–"] + \
            ["%.2f" % (head_px / c) if head_px and c else "–" for c in cn]
        print("| " + " | ".join(cells) + " |")

    print("\n## Start-up to the first presented frame and peak RSS (medians)\n")
    small = next((k for k in order if k[0] == "sprites" and k[1] == "32" and k[2] == "1" and k[3] == "1000"), None)
    big = max((k for k in order if k[0] == "sprites"), key=lambda k: (int(k[3]), int(k[1])), default=None)
    head = ["program", "start-up ms (32x32, N=1000)", "start-up ms (text)", "peak RSS MB (32x32, N=1000)",
            "peak RSS MB (text)", "peak RSS MB (%s)" % ("%sx%s %s tex N=%s" % (big[1], big[1], big[2], big[3])
                                                    if big else "largest")]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for p in PROGS:
        def get(k, field, scale=1.0):
            return med(k, p, field, scale) if k else None
        print("| %s | %s | %s | %s | %s | %s |" % (
            p, fmt(get(small, "startup_ms")), fmt(get(text, "startup_ms")),
            fmt(get(small, "peak_rss_kb", 1 / 1024)), fmt(get(text, "peak_rss_kb", 1 / 1024)),
            fmt(get(big, "peak_rss_kb", 1 / 1024))))

    failed = [d.get("prog") for d in rows if d.get("failed")]
    if failed:
        print("\nFailed runs: %s" % ", ".join(failed))


if __name__ == "__main__":
    main()
