#!/usr/bin/env python3
"""Times vektrano-cli, the floor program and `wc -l` on generated drawings.

Started by bench/run, which finds or builds the programs. Each file is timed in
rounds that interleave the three programs (A B C A B C ...), so a slow phase of a
shared machine hits all three alike; the ratios are taken within each round.
Peak RSS comes from wait4 of each child alone.
"""

import argparse
import hashlib
import json
import os
import platform
import statistics
import subprocess
import sys
import time

from layer_map_case import layer_map_lines

MIB = 1024 * 1024

# (name, generator options); the name is also the stem of the files in --data.
DRAWINGS = [
    ("normal-10MB-crlf", ["--size-mb", "10", "--eol", "crlf"]),
    ("normal-10MB-lf", ["--size-mb", "10", "--eol", "lf"]),
    ("normal-100MB-crlf", ["--size-mb", "100", "--eol", "crlf"]),
    ("normal-100MB-lf", ["--size-mb", "100", "--eol", "lf"]),
    ("adv-end-200000", ["--mode", "adv-end", "--count", "200000"]),
    ("adv-end-2000000", ["--mode", "adv-end", "--count", "2000000"]),
    ("adv-tally-200000", ["--mode", "adv-tally", "--count", "200000"]),
    ("adv-tally-2000000", ["--mode", "adv-tally", "--count", "2000000"]),
]
# START in the window, timed against vektrano-cli; the 400 MB drawing is made only
# for this, and its script is checked against vektrano-cli's.
WINDOW_DRAWINGS = [
    ("normal-100MB-crlf", ["--size-mb", "100", "--eol", "crlf"]),
    ("normal-400MB-crlf", ["--size-mb", "400", "--eol", "crlf"]),
]
QUICK = {"normal-10MB-crlf", "normal-10MB-lf", "adv-end-200000", "adv-tally-200000"}


def parse_args():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--cli", required=True)
    p.add_argument("--floor", required=True)
    p.add_argument("--gen", required=True)
    p.add_argument("--data", required=True)
    p.add_argument("--checksums", required=True)
    p.add_argument("--rounds", type=int, default=7)
    p.add_argument("--out")
    p.add_argument("--quick", action="store_true")
    p.add_argument("--record-checksums", action="store_true")
    p.add_argument("--window", help="the window START driver (vektrano_window_start)")
    p.add_argument("--text-area", help="the text and area timing program (vektrano_text_area_run)")
    a = p.parse_args()
    if a.rounds < 5:
        p.error("--rounds must be at least 5")
    return a


def generate(gen, path, options):
    if os.path.exists(path):
        return
    partial = path + ".partial"
    subprocess.run([sys.executable, gen, "-o", partial] + options, check=True,
                   stdout=subprocess.DEVNULL)
    os.replace(partial, path)


def timed(argv):
    """Runs argv with its output discarded; returns (seconds, peak RSS bytes, exit code)."""
    devnull = os.open(os.devnull, os.O_RDWR)
    try:
        # fork, not posix_spawn: a child started through vfork reports this
        # process's own peak RSS as its own when that is higher.
        start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            try:
                for fd in (0, 1, 2):
                    os.dup2(devnull, fd)
                os.execv(argv[0], argv)
            finally:
                os._exit(127)
        _, status, usage = os.wait4(pid, 0)
        elapsed = time.perf_counter() - start
    finally:
        os.close(devnull)
    return elapsed, usage.ru_maxrss * 1024, os.waitstatus_to_exitcode(status)


def window_start(argv):
    """Runs the window driver under the offscreen platform; returns its report."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    out = subprocess.run(argv, env=env, check=True, capture_output=True, text=True).stdout
    return {k: float(v) for k, v in (item.split("=") for item in out.split())}


def measure_window(a, name, dxf):
    """START in the window against vektrano-cli, interleaved, on one drawing."""
    scr = os.path.join(a.data, name + ".window.scr")
    cli = [os.path.abspath(a.cli), "-q", "--log", "/dev/null", dxf,
           os.path.join(a.data, name + ".scr")]
    driver = [os.path.abspath(a.window), dxf, scr]
    window_start(driver)
    timed(cli)
    starts, gaps, clis = [], [], []
    for _ in range(a.rounds):
        report = window_start(driver)
        starts.append(report["start_seconds"])
        gaps.append(report["max_gap_ms"])
        clis.append(timed(cli)[0])
    return scr, starts, gaps, clis


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def read_checksums(path):
    sums = {}
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 2 and not line.startswith("#"):
                    sums[parts[1]] = parts[0]
    return sums


def write_checksums(path, sums):
    with open(path, "w") as f:
        f.write("# sha256 of the script vektrano-cli writes for each generated drawing\n")
        for name, _ in DRAWINGS:
            if name in sums:
                f.write(f"{sums[name]}  {name}\n")


def machine():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    ram = 0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                ram = int(line.split()[1]) * 1024
    return f"{os.cpu_count()} × {model}, {ram / 2**30:.1f} GiB RAM, Linux {platform.release()}"


def which(program):
    for folder in os.environ.get("PATH", "").split(os.pathsep):
        candidate = os.path.join(folder, program)
        if os.access(candidate, os.X_OK):
            return candidate
    raise SystemExit(f"whole_process.py: {program} not found")


def measure(a, name, dxf):
    scr = os.path.join(a.data, name + ".scr")
    floor_scr = os.path.join(a.data, name + ".floor.scr")
    programs = {
        "cli": [os.path.abspath(a.cli), "-q", "--log", "/dev/null", dxf, scr],
        "floor": [os.path.abspath(a.floor), "--read", dxf, floor_scr],
        "wc": [which("wc"), "-l", dxf],
    }
    for argv in programs.values():  # warm the page cache and the allocator's first touch
        timed(argv)
    runs = {key: [] for key in programs}
    for _ in range(a.rounds):
        for key, argv in programs.items():
            runs[key].append(timed(argv))
    return scr, runs


def full_geometry_drawing(path, mode, count):
    """A drawing only full geometry expands: `nested` blocks each inserting the next,
    the last holding one LINE; `inserts` INSERTs of one block of four LINEs."""
    if os.path.exists(path):
        return
    out = ["0", "SECTION", "2", "BLOCKS"]

    def block(name, body):
        out.extend(["0", "BLOCK", "8", "0", "2", name, "70", "0", "10", "0", "20", "0"])
        out.extend(body)
        out.extend(["0", "ENDBLK", "8", "0"])

    def line(x1, y1, x2, y2):
        return ["0", "LINE", "8", "0", "10", x1, "20", y1, "11", x2, "21", y2]

    def insert(name, x, y):
        return ["0", "INSERT", "8", "0", "2", name, "10", x, "20", y]

    if mode in ("splines", "ellipses"):
        model = []
        for i in range(count):
            x, y = i % 1000 * 20, i // 1000 * 20
            if mode == "ellipses":
                model += ["0", "ELLIPSE", "8", "0", "10", str(x), "20", str(y), "11", "8", "21", "0",
                          "40", "0.5", "41", "0", "42", "6.283185307179586"]
            else:
                model += ["0", "SPLINE", "8", "0", "70", "8", "71", "3"]
                model += sum((["40", k] for k in "0 0 0 0 1 2 3 4 5 5 5 5".split()), [])
                for k in range(8):
                    model += ["10", str(x + 2 * k), "20", str(y + (5 if k % 2 else 0))]
        out.extend(["0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"] + model + ["0", "ENDSEC", "0", "EOF"])
        with open(path + ".partial", "w", newline="") as f:
            f.write("\r\n".join(out) + "\r\n")
        os.replace(path + ".partial", path)
        return
    if mode == "nested":
        for i in range(count):
            block(f"B{i}", insert(f"B{i + 1}", "1", "0") if i + 1 < count else line("0", "0", "1", "0"))
        model = insert("B0", "0", "0")
    else:
        block("Q", line("0", "0", "1", "0") + line("1", "0", "1", "1") + line("1", "1", "0", "1")
              + line("0", "1", "0", "0"))
        model = []
        for i in range(count):
            model += insert("Q", str(i % 1000 * 2), str(i // 1000 * 2))
    out.extend(["0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"] + model + ["0", "ENDSEC", "0", "EOF"])
    with open(path + ".partial", "w", newline="") as f:
        f.write("\r\n".join(out) + "\r\n")
    os.replace(path + ".partial", path)


def measure_full_geometry(a, name, dxf):
    """Interleaved rounds of the classic and the full-geometry conversion of one file."""
    scr = os.path.join(a.data, name + ".full.scr")
    programs = {
        "classic": [os.path.abspath(a.cli), "-q", "--log", "/dev/null", dxf, scr],
        "full": [os.path.abspath(a.cli), "-q", "--full-geometry", "--log", "/dev/null", dxf, scr],
    }
    for argv in programs.values():
        timed(argv)
    runs = {key: [] for key in programs}
    for _ in range(a.rounds):
        for key, argv in programs.items():
            runs[key].append(timed(argv))
    return runs


def full_geometry_lines(a):
    lines = ["", "Full geometry (`--full-geometry`):", ""]
    for name in ("normal-10MB-crlf",) if a.quick else ("normal-10MB-crlf", "normal-100MB-crlf"):
        dxf = os.path.join(a.data, name + ".dxf")
        print(f"timing full geometry on {name} ...", file=sys.stderr, flush=True)
        runs = measure_full_geometry(a, name, dxf)
        ratio = ratios(runs["full"], runs["classic"])
        full_rss = max(r[1] for r in runs["full"])
        classic_rss = max(r[1] for r in runs["classic"])
        codes = {r[2] for r in runs["full"]}
        lines.append(
            f"- {name}: {statistics.median(r[0] for r in runs['full']):.3f} s, {spread(ratio)} × "
            f"classic (target ≤ 1.5): {'holds' if statistics.median(ratio) <= 1.5 else 'MISSED'}; "
            f"peak RSS {full_rss / MIB:.0f} MiB against classic {classic_rss / MIB:.0f} MiB "
            f"(target ≤ + 25 %): {'holds' if full_rss <= 1.25 * classic_rss else 'MISSED'}"
            + ("" if codes == {0} else f"; exit {sorted(codes)}"))
    for mode, count in (("nested", 10000), ("inserts", 100000), ("splines", 100000),
                        ("ellipses", 100000)):
        name = f"full-{mode}-{count}"
        dxf = os.path.join(a.data, name + ".dxf")
        full_geometry_drawing(dxf, mode, count)
        argv = [os.path.abspath(a.cli), "-q", "--full-geometry", dxf, os.path.join(a.data, name + ".scr")]
        timed(argv)
        best = min((timed(argv) for _ in range(3)), key=lambda r: r[0])
        # Counted in pieces: a child's peak RSS as wait4 reports it starts from this
        # process's own peak, so reading a script of 600 MB whole would inflate every
        # later measurement.
        written = -5
        with open(os.path.join(a.data, name + ".scr"), "rb") as f:
            for piece in iter(lambda: f.read(1 << 20), b""):
                written += piece.count(b"\n")  # every line ends in CR LF
        lines.append(f"- {name} ({os.path.getsize(dxf) / 1e6:.1f} MB): {best[0] * 1000:.0f} ms, "
                     f"{written} script lines, {written / best[0] / 1e6:.2f} M lines/s, "
                     f"peak RSS {best[1] / MIB:.0f} MiB, exit {best[2]}")
    return lines


def text_area_lines(a):
    """100,000 texts and 10,000 solid hatches of 100 edges, stars and then mixed
    simple rings, through vektrano_text_area_run; the best of three by CPU time."""
    lines = ["", "Texts and filled areas (vektrano_text_area_run, CPU time):", ""]
    gen = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gen_text_area.py")
    for shapes in ("stars", "mixed"):
        name = f"text-area-{shapes}"
        dxf = os.path.join(a.data, name + ".dxf")
        if not os.path.exists(dxf):
            subprocess.run([sys.executable, gen, dxf + ".partial", "--shapes", shapes], check=True)
            os.replace(dxf + ".partial", dxf)
        print(f"timing texts and areas on {name} ...", file=sys.stderr, flush=True)
        argv = [os.path.abspath(a.text_area), dxf, os.path.join(a.data, name + ".scr")]
        reports = [subprocess.run(argv, check=True, capture_output=True, text=True).stdout
                   for _ in range(3)]
        # "N script lines in S s CPU (R s of it reading and planning): L lines/s; peak M MiB"
        best = min(reports, key=lambda r: float(r.split(" in ")[1].split()[0]))
        lines.append(f"- {name} ({os.path.getsize(dxf) / 1e6:.0f} MB): {best.splitlines()[0]}")
    return lines


def ratios(top, bottom):
    return [t[0] / b[0] for t, b in zip(top, bottom) if b[0] > 0]


def spread(values):
    return f"{statistics.median(values):.2f} ({min(values):.2f}–{max(values):.2f})"


def main():
    a = parse_args()
    os.makedirs(a.data, exist_ok=True)
    stored = read_checksums(a.checksums)
    recorded = dict(stored)
    load_before = os.getloadavg()
    rows, results, bad = [], {}, []
    for name, options in DRAWINGS:
        if a.quick and name not in QUICK:
            continue
        dxf = os.path.join(a.data, name + ".dxf")
        generate(a.gen, dxf, options)
        size = os.path.getsize(dxf)
        print(f"timing {name} ...", file=sys.stderr, flush=True)
        scr, runs = measure(a, name, dxf)
        codes = {r[2] for r in runs["cli"]}
        digest = sha256(scr)
        if a.record_checksums:
            recorded[name] = digest
            check = "recorded"
        elif name not in stored:
            check = "no stored sum"
            bad.append(f"{name}: no stored checksum")
        elif stored[name] == digest:
            check = "same"
        else:
            check = "DIFFERS"
            bad.append(f"{name}: script differs from the stored checksum")
        if codes != {0}:
            bad.append(f"{name}: vektrano-cli exited with {sorted(codes)}")
        cli_t = [r[0] for r in runs["cli"]]
        rss = max(r[1] for r in runs["cli"])
        res = {
            "size": size,
            "cli": statistics.median(cli_t),
            "floor": statistics.median(r[0] for r in runs["floor"]),
            "wc": statistics.median(r[0] for r in runs["wc"]),
            "x_floor": ratios(runs["cli"], runs["floor"]),
            "x_wc": ratios(runs["cli"], runs["wc"]),
            "rss": rss,
            "floor_rss": max(r[1] for r in runs["floor"]),
        }
        results[name] = res
        rows.append(
            f"| {name} | {size / 1e6:.1f} | {res['cli']:.3f} | {res['floor']:.3f} | "
            f"{res['wc']:.3f} | {spread(res['x_floor'])} | {statistics.median(res['x_wc']):.1f} | "
            f"{size / 1e6 / res['cli']:.0f} | {rss / MIB:.0f} | {rss / size:.2f} | {check} |")
    window_lines = []
    if a.window and not a.quick:
        for name, options in WINDOW_DRAWINGS:
            dxf = os.path.join(a.data, name + ".dxf")
            generate(a.gen, dxf, options)
            print(f"timing the window's START on {name} ...", file=sys.stderr, flush=True)
            scr, starts, gaps, clis = measure_window(a, name, dxf)
            # Without a stored sum the window must match vektrano-cli on the same drawing.
            digest = sha256(scr)
            expected = stored.get(name) or recorded.get(name) or sha256(
                os.path.join(a.data, name + ".scr"))
            same = digest == expected
            if not same:
                bad.append(f"{name}: the window's script differs from "
                           f"{'the stored checksum' if name in stored else 'vektrano-cli'}")
            ratio = [s / c for s, c in zip(starts, clis)]
            med = statistics.median(ratio)
            window_lines.append(
                f"- window START on {name} (offscreen): {statistics.median(starts):.3f} s, "
                f"{spread(ratio)} × vektrano-cli (target ≤ 1.1): "
                f"{'holds' if med <= 1.1 else 'MISSED'}; longest stretch without processing events "
                f"{statistics.median(gaps):.0f} ms (median of the rounds' longest; max "
                f"{max(gaps):.0f} ms; target < 100): {'holds' if max(gaps) < 100 else 'MISSED'}; "
                f"script {'same' if same else 'DIFFERS'}")
            # Full geometry walks the drawing in passes of its own: their stretches
            # without events are measured on the same drawing.
            full_gaps = [window_start([os.path.abspath(a.window), "--full-geometry", dxf,
                                       scr])["max_gap_ms"] for _ in range(3)]
            window_lines.append(
                f"- window START with full geometry on {name}: longest stretch without "
                f"processing events {statistics.median(full_gaps):.0f} ms (max "
                f"{max(full_gaps):.0f} ms of 3 rounds; target < 100): "
                f"{'holds' if max(full_gaps) < 100 else 'MISSED'}")
    elif not a.quick:
        window_lines = ["- window START: not measured (no window driver built)"]
    window_lines += full_geometry_lines(a)
    if a.text_area:
        window_lines += text_area_lines(a)
    window_lines += layer_map_lines(a, timed, ratios, spread)
    load_after = os.getloadavg()

    out = []
    out.append(f"Machine: {machine()}. Load average {load_before[0]:.2f} before, "
               f"{load_after[0]:.2f} after; {a.rounds} interleaved rounds per file, "
               f"medians (ratio ranges over the rounds in brackets).")
    out.append("")
    out.append("| Drawing | MB | vektrano-cli s | floor s | wc -l s | × floor | × wc -l | "
               "MB/s | peak RSS MiB | RSS / file | script |")
    out.append("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|")
    out.extend(rows)
    out.append("")
    out.extend(targets(results))
    out.extend(window_lines)
    text = "\n".join(out) + "\n"
    sys.stdout.write(text)
    target = a.out or os.path.join(a.data, "performance.md")
    with open(target, "w") as f:
        f.write(text)
    print(f"table written to {target}", file=sys.stderr)
    if a.record_checksums:
        write_checksums(a.checksums, recorded)
        print(f"checksums written to {a.checksums}", file=sys.stderr)
    for line in bad:
        print("bench/run: " + line, file=sys.stderr)
    return 1 if bad else 0


def targets(results):
    lines = ["Targets:", ""]

    def verdict(ok):
        return "holds" if ok else "MISSED"

    big = results.get("normal-100MB-crlf")
    if big:
        med = statistics.median(big["x_floor"])
        lines.append(f"- 100 MB CR LF: {med:.2f} × floor (target ≤ 1.5): {verdict(med <= 1.5)}")
    for name, res in results.items():
        if name.startswith("normal"):
            limit = 1.6 * res["size"] + 32 * MIB
            lines.append(f"- {name} peak RSS {res['rss'] / MIB:.0f} MiB, limit "
                         f"{limit / MIB:.0f} MiB (1.6 × file + 32 MiB): "
                         f"{verdict(res['rss'] <= limit)}")
    for mode in ("adv-end", "adv-tally"):
        small, large = results.get(f"{mode}-200000"), results.get(f"{mode}-2000000")
        if small:
            ms = small["cli"] * 1000
            lines.append(f"- {mode} at 200,000: {ms:.0f} ms (target < 50 ms): {verdict(ms < 50)}")
        if small and large:
            growth = large["cli"] / small["cli"]
            lines.append(f"- {mode} from 200,000 to 2,000,000: × {growth:.1f} (target ≤ 12): "
                         f"{verdict(growth <= 12)}")
    return lines


if __name__ == "__main__":
    sys.exit(main())
