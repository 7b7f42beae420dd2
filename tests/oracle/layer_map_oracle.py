#!/usr/bin/env python3
"""Checks a run with a layer map, Eagle layer by Eagle layer, against ezdxf.

For every DXF file in the samples folder, `vektrano-cli --list-layers` names its
layers; each gets an Eagle layer of its own (101, 102, ...) and the drawing is
converted three times: every layer `linien`, every layer `kontur`, and every
layer `bohrung:0.5-8`. The script is split at its `Layer N;` lines, and each
group's geometry must lie within TOLERANCE of ezdxf's geometry of the DXF layers
the map sends there, both ways (the sampling of full_geometry_oracle.py).

Beside the geometry:
- linien: the groups come in ascending order, each once, a layer above 100
  defined by name before its first use.
- kontur: no Circle line; each chain's Wire lines continue one another to the
  last digit; no two open chain ends, and no open chain's own two ends, lie
  within the weld tolerance (welding would have joined them).
- bohrung: every circle from 0.5 to 8 mm is a `Hole D (x y)` and compared as a
  circle of diameter D; every Circle line left is outside that range.

Usage: layer_map_oracle.py CLI SAMPLES_DIR
Exit 0 all matched, 1 a file differed, 77 skipped (ezdxf or the samples missing
outside CI).
"""

import math
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import full_geometry_oracle as oracle  # noqa: E402

WELD_TOLERANCE = 0.01  # mm, the CLI's default
DRILLS = (0.5, 8.0)
RUNS = {"linien": "linien", "kontur": "kontur", "bohrung": "bohrung:%g-%g" % DRILLS}

# "file.dxf run" of a check that differs for a reason understood and accepted,
# with that reason.
EXPECTED_DIFFERENCES = {}

LAYER_USE = re.compile(r"^Layer (\d+);$")
LAYER_DEFINITION = re.compile(r"^Layer (\d+) (\S+);$")
HOLE = re.compile(r"^Hole %s \(%s %s\);$" % (oracle.NUMBER, oracle.NUMBER, oracle.NUMBER))
WIRE_ENDS = re.compile(r"^[Ww]ire \S+ (\([^)]*\))(?: \S+)? (\([^)]*\))$")


# ---------------------------------------------------------------------- the map

def listed_layers(cli, path):
    """The layer names of the map --list-layers writes, in its order."""
    run = subprocess.run([cli, "--list-layers", path], capture_output=True)
    if run.returncode != 0:
        raise RuntimeError("--list-layers endete mit %d: %s"
                           % (run.returncode, run.stderr.decode(errors="replace").strip()))
    names = []
    for line in run.stdout.decode("utf-8").splitlines():
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line.startswith('"'):
            name, at = "", 1
            while True:
                close = line.index('"', at)
                name += line[at:close]
                if line[close + 1:close + 2] != '"':
                    break
                name += '"'
                at = close + 2
        else:
            name = line.split()[0]
        names.append(name)
    return names


def ascii_upper(text):
    return "".join(c.upper() if c < "\x80" else c for c in text)


def pattern_regex(pattern):
    parts = {"*": ".*", "?": "."}
    return re.compile("".join(parts.get(c, re.escape(c)) for c in ascii_upper(pattern)), re.DOTALL)


def eagle_rules(names):
    """(pattern, Eagle layer) per name: names without wildcards first, so that a
    name holding "*" or "?" cannot take another layer's entities."""
    ordered = [n for n in names if not set(n) & set("*?")] + [n for n in names if set(n) & set("*?")]
    return [(name, 101 + i % 155) for i, name in enumerate(ordered)]


def map_text(rules, kind):
    return "".join('"%s" %d %s\n' % (name.replace('"', '""'), layer, kind) for name, layer in rules)


def eagle_layer_of(rules, compiled, layer):
    key = ascii_upper(layer)
    for (name, eagle), regex in zip(rules, compiled):
        if regex.fullmatch(key):
            return eagle
    return None


# ------------------------------------------------------------------ the script

class Group:
    def __init__(self, layer):
        self.layer = layer
        self.chains = []
        self.wires = []  # (start text, end text, straight)
        self.circles = []  # diameters of Circle lines
        self.holes = []  # diameters of Hole lines


def read_groups(path):
    """The script's groups by Eagle layer, and complaints about its Layer lines."""
    with open(path, "rb") as f:
        lines = f.read().decode("cp1252").split("\r\n")
    groups, complaints, defined = {}, [], set()
    current = None
    for text in lines[oracle.HEADER:]:
        if not text:
            continue
        m = LAYER_DEFINITION.match(text)
        if m:
            number = int(m.group(1))
            if number <= 100 or not re.fullmatch(r"[A-Za-z0-9_]+", m.group(2)):
                complaints.append("Layerdefinition %r" % text)
            defined.add(number)
            continue
        m = LAYER_USE.match(text)
        if m:
            number = int(m.group(1))
            if number in groups or (current is not None and number < current.layer):
                complaints.append("Layer %d nicht aufsteigend oder doppelt" % number)
            if number > 100 and number not in defined:
                complaints.append("Layer %d ohne Definition benutzt" % number)
            current = groups.setdefault(number, Group(number))
            continue
        if current is None:
            complaints.append("Zeichnung vor der ersten Layer-Zeile: %r" % text)
            continue
        m = HOLE.match(text)
        if m:
            d, x, y = map(float, m.groups())
            current.holes.append(d)
            current.chains.append(oracle.circle_points(complex(x, y), complex(x, y + d / 2)))
            continue
        chain = oracle.script_line_chain(text)
        if chain is None:
            raise ValueError("unlesbare Skriptzeile: %r" % text)
        current.chains.append(chain)
        wire = oracle.WIRE.match(text)
        if wire:
            ends = WIRE_ENDS.match(text)
            current.wires.append((ends.group(1), ends.group(2), wire.group(3) is None))
        else:
            cx, cy, tx, ty = map(float, oracle.CIRCLE.match(text).groups())
            current.circles.append(2 * math.hypot(tx - cx, ty - cy))
    return groups, complaints


def point_of(text):
    x, y = text[1:-1].split()
    return float(x), float(y)


def contour_complaints(group):
    """Chains as the Wire lines continue one another; open ends welding missed."""
    complaints = []
    if group.circles:
        complaints.append("%d Circle-Zeilen auf der Kontur" % len(group.circles))
    chains = []
    for start, end, straight in group.wires:
        if chains and chains[-1][-1][1] == start:
            chains[-1].append((start, end, straight))
        else:
            chains.append([(start, end, straight)])
    ends = []
    for index, chain in enumerate(chains):
        first, last = chain[0][0], chain[-1][1]
        if first == last:
            continue
        a, b = point_of(first), point_of(last)
        lone_short = len(chain) == 1 and chain[0][2]
        if math.hypot(a[0] - b[0], a[1] - b[1]) < WELD_TOLERANCE * (1 - 1e-6) and not lone_short:
            complaints.append("offene Kette mit Enden %s und %s schließt nicht" % (first, last))
        ends += [(a, index, first), (b, index, last)]
    cell = WELD_TOLERANCE
    grid = {}
    for point, index, text in ends:
        grid.setdefault((math.floor(point[0] / cell), math.floor(point[1] / cell)), []).append(
            (point, index, text))
    missed = 0
    for point, index, text in ends:
        i, j = math.floor(point[0] / cell), math.floor(point[1] / cell)
        for di in (-1, 0, 1):
            for dj in (-1, 0, 1):
                for other, other_index, other_text in grid.get((i + di, j + dj), ()):
                    if other_index > index and math.hypot(point[0] - other[0], point[1] - other[1]) \
                            < WELD_TOLERANCE * (1 - 1e-6):
                        missed += 1
                        if missed == 1:
                            complaints.append("Enden %s und %s nicht verschweißt" % (text, other_text))
    if missed > 1:
        complaints.append("%d Paare offener Enden nah beieinander" % missed)
    return complaints, sum(1 for c in chains if c[0][0] == c[-1][1]), len(chains)


def drill_complaints(group):
    low, high = DRILLS
    inside = [d for d in group.circles if low - 1e-6 <= d <= high + 1e-6]
    complaints = []
    if inside:
        complaints.append("%d Kreise im Bereich nicht gebohrt, z. B. %g mm" % (len(inside), inside[0]))
    outside = [d for d in group.holes if not low - 1e-6 <= d <= high + 1e-6]
    if outside:
        complaints.append("%d Bohrungen außerhalb des Bereichs, z. B. %g mm" % (len(outside), outside[0]))
    return complaints


# ------------------------------------------------------------------ one drawing

def check_run(cli, path, scratch, rules, expected, run):
    map_file = os.path.join(scratch, "layers.map")
    with open(map_file, "w", encoding="utf-8") as f:
        f.write(map_text(rules, RUNS[run]))
    script = os.path.join(scratch, "out.scr")
    if os.path.exists(script):
        os.remove(script)
    done = subprocess.run([cli, "-q", "--layer-map", map_file, path, script], capture_output=True)
    if done.returncode != 0:
        return ["vektrano-cli endete mit %d: %s"
                % (done.returncode, done.stderr.decode(errors="replace").strip())], ""
    groups, complaints = read_groups(script)
    for layer in sorted(set(groups) | set(expected)):
        group = groups.get(layer, Group(layer))
        for complaint in oracle.compare(group.chains, expected.get(layer, [])):
            complaints.append("Layer %d: %s" % (layer, complaint))
        if run == "kontur":
            more, closed, chains = contour_complaints(group)
            complaints += ["Layer %d: %s" % (layer, c) for c in more]
        elif run == "bohrung":
            complaints += ["Layer %d: %s" % (layer, c) for c in drill_complaints(group)]
    if run == "kontur":
        counts = [contour_complaints(g)[1:] for g in groups.values()]
        detail = "%d Ketten, %d geschlossen" % (sum(c[1] for c in counts), sum(c[0] for c in counts))
    elif run == "bohrung":
        detail = "%d Bohrungen, %d Kreise" % (sum(len(g.holes) for g in groups.values()),
                                             sum(len(g.circles) for g in groups.values()))
    else:
        detail = "%d Layer" % len(groups)
    return complaints, detail


def expected_by_eagle_layer(doc, factor, rules):
    compiled = [pattern_regex(name) for name, _ in rules]
    expected, circles = {}, 0
    for layer, kind, points in oracle.expected_primitives(doc, factor):
        eagle = eagle_layer_of(rules, compiled, layer)
        expected.setdefault(eagle if eagle is not None else -1, []).append(points)
        circles += kind == "CIRCLE"
    return expected, circles


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    cli, folder = sys.argv[1], sys.argv[2]
    try:
        import ezdxf  # noqa: F401 (read_drawing uses it)
    except ImportError:
        oracle.fail_or_skip("python3-ezdxf fehlt")
    if not os.path.isdir(folder):
        oracle.fail_or_skip("Beispielordner fehlt: " + folder)
    files = sorted(f for f in os.listdir(folder) if f.lower().endswith(".dxf"))
    if not files:
        oracle.fail_or_skip("keine DXF Dateien in " + folder)

    tally = {"gleich": 0, "erwartet anders": 0, "übersprungen": 0, "anders": 0}
    with tempfile.TemporaryDirectory() as scratch:
        for name in files:
            path = os.path.join(folder, name)
            try:
                doc, factor = oracle.read_drawing(path)
            except Exception as error:
                print("übersprungen %s: ezdxf kann sie nicht lesen (%s)" % (name, type(error).__name__))
                tally["übersprungen"] += 1
                continue
            try:
                rules = eagle_rules(listed_layers(cli, path))
            except RuntimeError as error:
                print("ANDERS %s: %s" % (name, error))
                tally["anders"] += 1
                continue
            expected, circles = expected_by_eagle_layer(doc, factor, rules)
            if -1 in expected:
                print("ANDERS %s: %d Objekte auf Layern, die --list-layers nicht nennt"
                      % (name, len(expected[-1])))
                tally["anders"] += 1
                continue
            for run in RUNS:
                if run == "bohrung" and not circles:
                    continue
                key = "%s %s" % (name, run)
                complaints, detail = check_run(cli, path, scratch, rules, expected, run)
                if not complaints:
                    if key in EXPECTED_DIFFERENCES:
                        print("stimmt jetzt %s (aus EXPECTED_DIFFERENCES streichen)" % key)
                        tally["anders"] += 1
                    else:
                        print("gleich %s (%s)" % (key, detail))
                        tally["gleich"] += 1
                elif key in EXPECTED_DIFFERENCES:
                    print("erwartet anders %s: %s" % (key, EXPECTED_DIFFERENCES[key]))
                    tally["erwartet anders"] += 1
                else:
                    print("ANDERS %s: %s" % (key, "; ".join(complaints[:6])))
                    tally["anders"] += 1
    print(", ".join("%d %s" % (count, what) for what, count in tally.items()))
    return 1 if tally["anders"] else 0


if __name__ == "__main__":
    sys.exit(main())
