"""Compares the geometry's NURBS evaluation, fit-point interpolation and OCS
plane maps with ezdxf's, from the records the oracle program prints.

Usage: ezdxf_oracle.py ORACLE_PROGRAM. Exits 77 (skipped) when ezdxf is
missing, unless CI=true, where a missing oracle is a failure.
"""
import os
import subprocess
import sys

try:
    from ezdxf.math import BSpline, OCS, ConstructionEllipse, Vec3, fit_points_to_cad_cv
except ImportError:
    if os.environ.get("CI") == "true":
        print("ezdxf fehlt (python3-ezdxf installieren)", file=sys.stderr)
        sys.exit(1)
    print("ezdxf fehlt, Test übersprungen")
    sys.exit(77)

TOLERANCE = 1e-9


def records(text):
    """Groups the lines into splines, OCS rows and ellipses."""
    splines, ocs, ellipses, current = [], [], [], None
    for line in text.splitlines():
        tag, *values = line.split()
        if tag == "spline":
            current = {"name": values[0], "points": []}
            splines.append(current)
        elif tag == "point":
            current["points"].append(tuple(map(float, values)))
        elif tag == "ocs":
            ocs.append(list(map(float, values)))
        elif tag == "ellipse":
            ellipses.append({"entity": list(map(float, values)), "points": []})
        elif tag == "ellipse-point":
            ellipses[-1]["points"].append(tuple(map(float, values)))
        else:
            current[tag] = list(map(float, values))
    return splines, ocs, ellipses


def main():
    output = subprocess.run([sys.argv[1]], check=True, capture_output=True, text=True).stdout
    splines, ocs, ellipses = records(output)
    failures = []
    for s in splines:
        xy = s["control"]
        control = [(xy[i], xy[i + 1], 0) for i in range(0, len(xy), 2)]
        oracle = BSpline(control, order=int(s["degree"][0]) + 1, knots=s["knots"],
                         weights=s["weights"] or None)
        for u, x, y in s["points"]:
            p = oracle.point(u)
            if abs(p.x - x) > TOLERANCE or abs(p.y - y) > TOLERANCE:
                failures.append(f"{s['name']} u={u}: ({x}, {y}) statt ({p.x}, {p.y})")
        if "fit" in s:
            fxy, t = s["fit"], s["tangents"]
            fit = [(fxy[i], fxy[i + 1]) for i in range(0, len(fxy), 2)]
            interpolated = fit_points_to_cad_cv(fit, tangents=[(t[0], t[1]), (t[2], t[3])])
            # ezdxf runs the parameter over [0, 1], ours over the chord length.
            length = s["points"][-1][0]
            for u, x, y in s["points"]:
                p = interpolated.point(u / length)
                if abs(p.x - x) > 1e-6 or abs(p.y - y) > 1e-6:
                    failures.append(f"{s['name']} u={u}: ({x}, {y}) statt ({p.x}, {p.y})")
    for ex, ey, ez, elevation, a, b, c, d, e, f in ocs:
        frame = OCS((ex, ey, ez))
        for px, py in [(0, 0), (1, 0), (0, 1), (3, -2)]:
            w = frame.to_wcs(Vec3(px, py, elevation))
            got = (a * px + c * py + e, b * px + d * py + f)
            if abs(w.x - got[0]) > TOLERANCE or abs(w.y - got[1]) > TOLERANCE:
                failures.append(f"OCS {ex, ey, ez} ({px}, {py}): {got} statt ({w.x}, {w.y})")
    for e in ellipses:
        v = e["entity"]
        oracle = ConstructionEllipse(center=v[0:3], major_axis=v[3:6], extrusion=v[6:9],
                                     ratio=v[9], start_param=v[10], end_param=v[11])
        for t, x, y in e["points"]:
            w = next(iter(oracle.vertices([t])))
            if abs(w.x - x) > TOLERANCE or abs(w.y - y) > TOLERANCE:
                failures.append(f"ELLIPSE {v} t={t}: ({x}, {y}) statt ({w.x}, {w.y})")
        # The arc must run from the entity's start to its end, as ezdxf takes them.
        first, last = e["points"][0][0], e["points"][-1][0]
        if abs((last - first) - oracle.param_span) > 1e-9:
            failures.append(f"ELLIPSE {v}: Bogen {last - first} statt {oracle.param_span}")
    print(f"{len(splines)} Splines, {len(ocs)} Extrusionen, {len(ellipses)} Ellipsen verglichen")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
