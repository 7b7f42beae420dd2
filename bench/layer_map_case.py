"""The layer map cases of bench/run, imported by whole_process.py.

A normal drawing converted with a map of five rules, timed against the classic
conversion in interleaved rounds; and a contour layer of many segments at two
sizes, so that welding shows whether it stays linear.
"""

import os
import statistics
import sys

MIB = 1024 * 1024

# One rule of each kind and one that leaves a layer out, on the generator's layers.
MAP = """# DXF-Layer  Eagle-Layer  Art
OUTLINE      20           kontur
HOLES        20           bohrung
DIMS         aus
SILK         21           linien
*            48
"""


def contour_drawing(path, count):
    """A closed polygon of count LINEs on layer OUTLINE, in rows that zigzag, the
    pieces in random order so that welding cannot rely on their sequence."""
    if os.path.exists(path):
        return
    import random

    width = 1000
    points = []
    for row in range(count // width):
        xs = range(width) if row % 2 == 0 else range(width - 1, -1, -1)
        points += [(x, row * 2) for x in xs]
    # Back down the left edge, outside the rows, to close the polygon.
    top = points[-1][1]
    points.append((-1, top))
    points += [(-1, y) for y in range(top - 1, -1, -1)]
    order = list(range(len(points)))
    random.Random(1).shuffle(order)
    with open(path + ".partial", "w", newline="") as f:
        f.write("0\r\nSECTION\r\n2\r\nENTITIES\r\n")
        for i in order:
            (x1, y1), (x2, y2) = points[i], points[(i + 1) % len(points)]
            f.write(f"0\r\nLINE\r\n8\r\nOUTLINE\r\n10\r\n{x1}\r\n20\r\n{y1}\r\n11\r\n{x2}\r\n21\r\n{y2}\r\n")
        f.write("0\r\nENDSEC\r\n0\r\nEOF\r\n")
    os.replace(path + ".partial", path)


def layer_map_lines(a, timed, ratios, spread):
    map_file = os.path.join(a.data, "five-rules.map")
    with open(map_file, "w", encoding="utf-8") as f:
        f.write(MAP)
    cli = os.path.abspath(a.cli)
    lines = ["", "Layer map (`--layer-map`, five rules: kontur, bohrung, aus, linien, *):", ""]
    for name in ("normal-10MB-crlf",) if a.quick else ("normal-10MB-crlf", "normal-100MB-crlf"):
        dxf = os.path.join(a.data, name + ".dxf")
        scr = os.path.join(a.data, name + ".map.scr")
        print(f"timing the layer map on {name} ...", file=sys.stderr, flush=True)
        programs = {
            "classic": [cli, "-q", "--log", "/dev/null", dxf, scr],
            "mapped": [cli, "-q", "--layer-map", map_file, "--log", "/dev/null", dxf, scr],
        }
        for argv in programs.values():
            timed(argv)
        runs = {key: [] for key in programs}
        for _ in range(a.rounds):
            for key, argv in programs.items():
                runs[key].append(timed(argv))
        ratio = ratios(runs["mapped"], runs["classic"])
        mapped_rss = max(r[1] for r in runs["mapped"])
        classic_rss = max(r[1] for r in runs["classic"])
        codes = {r[2] for r in runs["mapped"]}
        lines.append(
            f"- {name}: {statistics.median(r[0] for r in runs['mapped']):.3f} s against classic "
            f"{statistics.median(r[0] for r in runs['classic']):.3f} s, {spread(ratio)} × "
            f"(target ≤ 1.5): {'holds' if statistics.median(ratio) <= 1.5 else 'MISSED'}; "
            f"peak RSS {mapped_rss / MIB:.0f} MiB against classic {classic_rss / MIB:.0f} MiB "
            f"(target ≤ + 25 %): {'holds' if mapped_rss <= 1.25 * classic_rss else 'MISSED'}"
            + ("" if codes == {0} else f"; exit {sorted(codes)}"))
    sizes = (100000,) if a.quick else (100000, 1000000)
    best = {}
    for count in sizes:
        name = f"contour-{count}"
        dxf = os.path.join(a.data, name + ".dxf")
        contour_drawing(dxf, count)
        argv = [cli, "-q", "--map", "* 20 kontur", dxf, os.path.join(a.data, name + ".scr")]
        timed(argv)
        best[count] = min((timed(argv) for _ in range(3)), key=lambda r: r[0])
        seconds, rss, code = best[count]
        lines.append(f"- {name} (one closed contour of {count} LINEs, shuffled): "
                     f"{seconds * 1000:.0f} ms, peak RSS {rss / MIB:.0f} MiB, exit {code}")
    if len(best) == 2:
        growth = best[1000000][0] / best[100000][0]
        lines.append(f"- contour from 100,000 to 1,000,000 segments: × {growth:.1f} "
                     f"(target ≤ 12): {'holds' if growth <= 12 else 'MISSED'}")
    return lines
