#!/usr/bin/env python3
"""A drawing of texts and solid hatches for vektrano_text_area_run, CR LF.

  gen_text_area.py OUT.dxf [--texts N] [--hatches N] [--edges N] [--shapes stars|mixed]

stars: every hatch a star of alternating radii (the issue's benchmark case);
mixed: ragged stars with random corners, spirals and sideways combs in turn,
simple rings that a vertical line meets many times. Seeded, so a file is the
same from run to run.
"""
import argparse
import math
import random


def star(cx, cy, n, rng, mixed):
    if not mixed:
        return [(cx + (10 if k % 2 == 0 else 7) * math.cos(2 * math.pi * k / n),
                 cy + (10 if k % 2 == 0 else 7) * math.sin(2 * math.pi * k / n)) for k in range(n)]
    angles = sorted(rng.uniform(0, 2 * math.pi) for _ in range(n))
    return [(cx + r * math.cos(a), cy + r * math.sin(a))
            for a, r in ((a, rng.uniform(3, 10)) for a in angles)]


def spiral(cx, cy, n):
    half = n // 2
    outside, inside = [], []
    for i in range(half):
        a = 3 * math.pi * i / (half - 1)
        r = 3 + 4.5 * a / (2 * math.pi)
        outside.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        inside.append((cx + (r - 2) * math.cos(a), cy + (r - 2) * math.sin(a)))
    return outside + inside[::-1]


def comb(cx, cy, n, rng):
    teeth = max(1, (n - 4) // 4)
    width, base, spacing = 20.0, 3.0, 20.0 / teeth
    pts = [(0, 0), (width, 0), (width, base)]
    for t in reversed(range(teeth)):
        x, length = t * spacing + 0.2 * spacing, rng.uniform(1, 7)
        pts += [(x + 0.6 * spacing, base), (x + 0.6 * spacing, base + length),
                (x, base + length), (x, base)]
    pts.append((0, base))
    # Teeth pointing sideways, so a vertical line meets the comb many times.
    return [(cx - 5 + y, cy - 10 + x) for x, y in pts]


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("out")
    p.add_argument("--texts", type=int, default=100000)
    p.add_argument("--hatches", type=int, default=10000)
    p.add_argument("--edges", type=int, default=100)
    p.add_argument("--shapes", choices=("stars", "mixed"), default="stars")
    a = p.parse_args()
    rng = random.Random(1)
    mixed = a.shapes == "mixed"
    with open(a.out, "w", newline="") as out:
        w = out.write
        w("0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1027\r\n9\r\n$INSUNITS\r\n"
          "70\r\n4\r\n0\r\nENDSEC\r\n0\r\nSECTION\r\n2\r\nENTITIES\r\n")
        for i in range(a.texts):
            x, y = (i % 300) * 5.0, (i // 300) * 3.0
            w("0\r\nTEXT\r\n8\r\nSILK\r\n10\r\n%.3f\r\n20\r\n%.3f\r\n30\r\n0\r\n40\r\n%s\r\n"
              "50\r\n%d\r\n1\r\nR%d C%d\r\n" % (x, y, "1.5" if i % 10 else "2", (i % 4) * 90, i, i % 97))
        for h in range(a.hatches):
            cx, cy = (h % 100) * 30.0, 2000 + (h // 100) * 30.0
            kind = h % 3 if mixed else 0
            pts = (star(cx, cy, a.edges, rng, mixed) if kind == 0 else
                   spiral(cx, cy, a.edges) if kind == 1 else comb(cx, cy, a.edges, rng))
            w("0\r\nHATCH\r\n8\r\nLOGO\r\n10\r\n0\r\n20\r\n0\r\n30\r\n0\r\n210\r\n0\r\n220\r\n0\r\n"
              "230\r\n1\r\n2\r\nSOLID\r\n70\r\n1\r\n71\r\n0\r\n91\r\n1\r\n92\r\n1\r\n93\r\n%d\r\n"
              % len(pts))
            for k in range(len(pts)):
                (x0, y0), (x1, y1) = pts[k], pts[(k + 1) % len(pts)]
                w("72\r\n1\r\n10\r\n%.6f\r\n20\r\n%.6f\r\n11\r\n%.6f\r\n21\r\n%.6f\r\n"
                  % (x0, y0, x1, y1))
            w("97\r\n0\r\n75\r\n0\r\n76\r\n1\r\n98\r\n1\r\n10\r\n%.3f\r\n20\r\n%.3f\r\n" % (cx, cy))
        w("0\r\nENDSEC\r\n0\r\nEOF\r\n")


if __name__ == "__main__":
    main()
