#!/usr/bin/env python3
"""The dynamic symbol table of the library (--nm, --library; or --symbols, a saved
"nm -D --defined-only -C" output) against --families DIR/*.txt and --toolchain,
whose lines are "require: NAME" (must be exported), "allow: REGEX" (may be; the
regex matches the whole demangled name), "allow-weak: REGEX" (the same for weak
symbols alone, nm kinds V W u: copies the compiler emits itself) and "#" notes.
Fails on a symbol no line allows (a leak) and on a missing required one."""
import argparse, glob, os, re, subprocess, sys

a = argparse.ArgumentParser()
for option in ("--nm", "--library", "--symbols", "--families", "--toolchain"):
    a.add_argument(option, default="")
a = a.parse_args()
if a.symbols:
    nm_out = open(a.symbols, encoding="utf-8").read()
else:
    if not a.nm or not os.path.exists(a.nm):
        sys.exit(f"nm was not found (NM='{a.nm}'); the exported symbols cannot be checked")
    if not os.path.exists(a.library):
        sys.exit(f"library not found: '{a.library}'")
    nm = subprocess.run([a.nm, "-D", "--defined-only", "-C", a.library], capture_output=True, text=True)
    if nm.returncode != 0:
        sys.exit(f"{a.nm} failed ({nm.returncode}): {nm.stderr}")
    nm_out = nm.stdout

family_files = sorted(glob.glob(os.path.join(a.families, "*.txt")))
if not family_files:
    sys.exit(f"no family files in '{a.families}'")
rules = {"require": [], "allow": [], "allow-weak": []}  # require: (family, name)
bad_rules = []
for rule_file in family_files + [a.toolchain]:
    family, required_here = os.path.basename(rule_file).split(".")[0], 0
    for line in open(rule_file, encoding="utf-8").read().split("\n"):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        m = re.fullmatch(r"(require|allow|allow-weak): (.+)", line)
        try:
            rules[m[1]].append((family, m[2]) if m[1] == "require" else re.compile(m[2]))
            required_here += m[1] == "require"
        except (TypeError, re.error):  # no rule at all, or a broken regex
            bad_rules.append(f"  {rule_file}: '{line}'")
    if rule_file != a.toolchain and required_here == 0:
        bad_rules.append(f"  {rule_file}: a family without required symbols")
if bad_rules:
    sys.exit("unreadable rule lines:\n" + "\n".join(bad_rules))

required = {name for _, name in rules["require"]}
nm_lines, names, leaks = [line for line in nm_out.split("\n") if line], set(), ""
for line in nm_lines:
    m = re.fullmatch(r"[0-9a-fA-F]* *([A-Za-z]) (.+)", line)
    if not m:
        sys.exit(f"unexpected nm line: '{line}'")
    names.add(m[2])
    pats = rules["allow"] + (rules["allow-weak"] if m[1] in "VWu" else [])
    if m[2] not in required and not any(p.fullmatch(m[2]) for p in pats):
        leaks += f"\n  {m[1]} {m[2]}"
if not nm_lines:
    sys.exit("the library exports no symbols at all")
missing = "".join(f"\n  {f}: {name}" for f, name in rules["require"] if name not in names)
report = "\n".join(part for part in (
    leaks and "unexpected exported symbols (internal leaks, or a family file lacks them):" + leaks,
    missing and "missing exported symbols:" + missing) if part)
if report:
    sys.exit(report)
print(f"{len(nm_lines)} exported symbols, all of them expected")
