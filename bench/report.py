#!/usr/bin/env python3
"""Table (Markdown) and gnuplot data from the benchmark JSON file."""
import json
import os
import sys
from collections import defaultdict

source, outdir = sys.argv[1], sys.argv[2]
with open(source) as f:
    runs = json.load(f)["benchmarks"]

# name/shape/keys -> seconds per iteration
times = {}
rates = {}
for run in runs:
    case, shape, keys = run["name"].split("/")[:3]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    times[(case, shape, int(keys))] = run["real_time"] * scale
    rates[(case, shape, int(keys))] = run.get("bytes_per_second", 0.0)

sizes = sorted({k for (_, _, k) in times})
rows = sorted({(c, s) for (c, s, _) in times}, key=lambda r: (r[1], r[0]))

lines = ["| case | shape | " + " | ".join(f"{k} keys" for k in sizes) + " |",
         "|---|---|" + "---|" * len(sizes)]
for case, shape in rows:
    cells = []
    for k in sizes:
        t = times.get((case, shape, k))
        if t is None:
            cells.append("")
        else:
            cells.append(f"{rates[(case, shape, k)] / 1e6:.1f} MB/s, {t / k * 1e9:.0f} ns/key")
    lines.append(f"| {case} | {shape} | " + " | ".join(cells) + " |")

def ratio(a, b, shape, k):
    ta, tb = times.get((a, shape, k)), times.get((b, shape, k))
    return tb / ta if ta and tb else None

lines.append("")
lines.append("Growth at 8x the size (time(8n)/time(n)):")
lines.append("")
lines.append("| case | shape | n | time(8n)/time(n) |")
lines.append("|---|---|---|---|")
for case, shape in rows:
    for k in sizes:
        if (case, shape, 8 * k) in times and (case, shape, k) in times:
            g = times[(case, shape, 8 * k)] / times[(case, shape, k)]
            lines.append(f"| {case} | {shape} | {k} | {g:.2f} |")

k = 100000
if any(key[2] == k for key in times):
    lines.append("")
    lines.append(f"Ratios at {k} keys, device file:")
    lines.append("")
    for label, a, b in [("QSettings_load / IniFile_load", "IniFile_load", "QSettings_load"),
                        ("QSettings_write / IniFile_serialize", "IniFile_serialize", "QSettings_write"),
                        ("SimpleIni_load / CIniFile_Read", "CIniFile_Read", "SimpleIni_load"),
                        ("CIniFile_Read / inih_noop", "inih_noop", "CIniFile_Read"),
                        ("IniFile_load / Model_fill", "Model_fill", "IniFile_load"),
                        ("IniFile_serialize / Model_walk", "Model_walk", "IniFile_serialize")]:
        r = ratio(a, b, "device", k)
        if r is not None:
            lines.append(f"- {label}: {r:.2f}")

with open(os.path.join(outdir, "table.md"), "w") as f:
    f.write("\n".join(lines) + "\n")

# One data file per shape: a column per case, a row per size.
plot = ["set terminal png size 1400,1000 noenhanced", "set output 'time.png'",
        "set logscale xy", "set xlabel 'keys'", "set ylabel 'seconds'",
        "set key left top font ',8'", "set multiplot layout 2,2"]
for shape in sorted({s for (_, s) in rows}):
    cases = [c for (c, s) in rows if s == shape]
    data = f"time-{shape}.dat"
    with open(os.path.join(outdir, data), "w") as f:
        f.write("keys " + " ".join(cases) + "\n")
        for k in sizes:
            f.write(str(k) + " " + " ".join(
                str(times.get((c, shape, k), "NaN")) for c in cases) + "\n")
    plot.append(f"set title '{shape}'")
    plot.append("plot " + ", ".join(
        f"'{data}' using 1:{i + 2} with linespoints title '{c}'" for i, c in enumerate(cases)))
plot.append("unset multiplot")
with open(os.path.join(outdir, "time.gp"), "w") as f:
    f.write("\n".join(plot) + "\n")
