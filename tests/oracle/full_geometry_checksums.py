#!/usr/bin/env python3
"""Guards the full-geometry scripts of the sample drawings byte for byte.

For every DXF file in the samples folder, `vektrano-cli --full-geometry` writes a
script (once as it is, once with --auto-offset); its sha256 must be the one in the
table beside this file. A change of the expansion or the writer that moves one
byte shows up here by name.

Usage: full_geometry_checksums.py CLI SAMPLES_DIR [--record]
--record writes the table anew from what the CLI writes now.
Exit 0 all equal, 1 a script differed, 77 skipped (samples missing outside CI).
"""

import hashlib
import os
import subprocess
import sys
import tempfile

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "full_geometry_checksums.txt")
SKIP = 77
VARIANTS = {"plain": [], "auto": ["--auto-offset"]}


def script_hash(cli, dxf, extra, folder):
    scr = os.path.join(folder, "out.scr")
    if os.path.exists(scr):
        os.remove(scr)
    run = subprocess.run([cli, "-q", "--full-geometry", *extra, dxf, scr],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    if not os.path.exists(scr):
        return "exit-%d-no-script" % run.returncode
    with open(scr, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    cli, samples = sys.argv[1], sys.argv[2]
    record = "--record" in sys.argv[3:]
    if not os.path.isdir(samples):
        if os.environ.get("CI") == "true":
            print("FEHLER: Beispielzeichnungen fehlen: " + samples)
            return 1
        print("übersprungen: Beispielzeichnungen fehlen: " + samples)
        return SKIP
    names = sorted(n for n in os.listdir(samples) if n.lower().endswith(".dxf"))
    found = {}
    with tempfile.TemporaryDirectory() as folder:
        for name in names:
            for variant, extra in VARIANTS.items():
                found[name + " " + variant] = script_hash(cli, os.path.join(samples, name), extra, folder)
    if record:
        with open(TABLE, "w", encoding="utf-8") as f:
            f.write("# sha256 of the full-geometry script of each sample drawing "
                    "(plain, and with --auto-offset)\n")
            for key, digest in found.items():
                f.write("%s  %s\n" % (digest, key))
        print("%d Einträge geschrieben" % len(found))
        return 0
    expected = {}
    with open(TABLE, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            digest, key = line.rstrip("\n").split("  ", 1)
            expected[key] = digest
    failed = 0
    for key in sorted(set(expected) | set(found)):
        if expected.get(key) != found.get(key):
            print("ANDERS: %s (Tabelle %s, jetzt %s)" % (key, expected.get(key), found.get(key)))
            failed += 1
    print("%d passed, %d failed" % (len(found) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
