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
        if "scene" not in d or d.get("prog") in ("battle", "game"):
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
    head = ["scene", "N"] + PROGS + ["ours (xvfb) / best peer", "lowest of a repetition", "ours / love",
                                     "ours draws/frame", "ours context", "peak RSS MB ours (xvfb) / lowest peer"]
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
        # Repetition by repetition: ours against the best peer of the same repetition.
        by_rep = {}
        for p in ["orvex-xvfb"] + PEERS:
            for d in keyed[key].get(p, []):
                by_rep.setdefault(d.get("rep"), {})[p] = num(d, "fps")
        rep_ratios = [r["orvex-xvfb"] / max(v for q, v in r.items() if q != "orvex-xvfb" and v)
                      for r in by_rep.values()
                      if r.get("orvex-xvfb") and any(v for q, v in r.items() if q != "orvex-xvfb")]
        cells.append("%.2f" % min(rep_ratios) if rep_ratios else "–")
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

    battle_table(rows)
    game_tables(rows)

    failed = [d.get("prog") for d in rows if d.get("failed")]
    if failed:
        print("\nFailed runs: %s" % ", ".join(failed))


def battle_table(rows):
    """The battle benchmark: per scene and part, the medians over its runs."""
    runs = [d for d in rows if d.get("prog") == "battle" and "part" in d]
    if not runs:
        return
    print("\n## Battle benchmark (thread CPU per frame, medians over the runs)\n")
    head = ["scene", "part", "runs", "mean µs", "p99 µs", "max µs"]
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    parts = {}
    for d in runs:
        parts.setdefault((d["scene"], d["part"]), []).append(d)
    for (scene, part), ds in parts.items():
        print("| %s | %s | %d | %s | %s | %s |" % (scene, part, len(ds), fmt(median([num(d, "mean_us") for d in ds])),
                                                  fmt(median([num(d, "p99_us") for d in ds])),
                                                  fmt(median([num(d, "max_us") for d in ds]))))
    print()
    for scene in sorted({s for s, _ in parts}):
        upd = median([num(d, "mean_us") for d in parts.get((scene, "update"), [])])
        tick = median([num(d, "mean_us") for d in parts.get((scene, "update_tick"), [])])
        sums = sorted({d.get("checksum") for d in rows if d.get("prog") == "battle" and d.get("scene") == scene
                       and d.get("checksum")})
        print("- `%s`: tick frames' update / all frames' update %s; end-state checksums %s" % (
            scene, "%.2f" % (tick / upd) if tick and upd else "–", ", ".join("`%s`" % c for c in sums)))


def game_tables(rows):
    """The real program's scenes."""
    game = [d for d in rows if d.get("prog") == "game"]
    if not game:
        return
    print("\n## The real program\n")
    for mode in ("headless", "xvfb"):
        ff = [num(d, "first_frame_ms") for d in game if d.get("scene") == "first_frame" and d.get("mode") == mode]
        if ff:
            print("- First frame %s: median %s ms after launch (runs: %s)" % (
                mode, fmt(median(ff)), ", ".join(fmt(v) for v in ff)))
    for d in game:
        if d.get("scene") == "idle_menu":
            print("- Idle main menu (xvfb, %s s): %s %% of a core (llvmpipe %s %%, main thread %s %%), VmHWM %s MB" % (
                d.get("seconds"), d.get("cpu_pct"), d.get("llvmpipe_pct"), d.get("main_pct"),
                fmt(num(d, "vmhwm_kb") / 1024 if num(d, "vmhwm_kb") else None, 0)))
    for d in game:
        if d.get("scene") == "battle":
            kb = num(d, "vmhwm_kb")
            kb60 = num(d, "vmhwm_measured_kb")
            print("- Battle %s (%s, %s game s, at most %s entities in play): %s frames in %s s; main-thread CPU per "
                  "frame mean %s ms, p99 %s ms; frame time mean %s ms, p99 %s ms, sd %s ms; VmHWM %s MB after the "
                  "measured seconds, %s MB through the whole battle" % (
                      d.get("mode"), d.get("mission"), d.get("game_s"), d.get("most_in_play"), d.get("frames"),
                      d.get("seconds"), d.get("cpu_mean_ms"), d.get("cpu_p99_ms"), d.get("frame_mean_ms"),
                      d.get("frame_p99_ms"), d.get("frame_sd_ms"), fmt(kb60 / 1024 if kb60 else None, 0),
                      fmt(kb / 1024 if kb else None, 0)))
    for d in game:
        if d.get("scene") == "jitter":
            print("- Frame pacing (%s build, main menu kept busy, xvfb): %s presents, interval mean %s ms, sd %s ms, "
                  "p50 %s ms, p99 %s ms, max %s ms" % (d.get("build"), d.get("frames"), d.get("mean_ms"),
                                                          d.get("sd_ms"), d.get("p50_ms"), d.get("p99_ms"),
                                                          d.get("max_ms")))


if __name__ == "__main__":
    main()
