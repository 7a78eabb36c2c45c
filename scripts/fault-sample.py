#!/usr/bin/env python3
"""Puts each fault of a list into the code, one at a time, and records whether
the test suite catches it.

Usage: scripts/fault-sample.py [--build DIR] [--faults FILE] [--only ID ...]
                               [--jobs N] [--out FILE] [--prefer FILE]

The list (default scripts/fault-sample.txt) holds blocks of the form

    @@ ID path/to/file.cpp | what the fault does
    <<<
    exact text in the file (one or more lines; it must occur once)
    ===
    the text that replaces it
    >>>

Each fault is applied in the work tree, the build folder is rebuilt and ctest
runs (N tests at a time; most of the suite waits on timers) until the first
failure; the file is then put back byte for byte. With --prefer, the tests
that caught a fault in an earlier run (its --out file, or the results table
scripts/fault-sample-results.tsv) run first, and the rest only if they pass.
A fault that does not build is reported as such, not as caught. The summary counts the
caught faults per folder; --out gets a line per fault as it is tried.
"""
import argparse
import collections
import pathlib
import re
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent


def read_faults(path):
    faults = []
    text = path.read_text()
    pattern = re.compile(r"^@@ (\S+) (\S+) \| (.*?)\n<<<\n(.*?)\n===\n(.*?)\n?>>>$",
                         re.S | re.M)
    for match in pattern.finditer(text):
        ident, file, what, original, replacement = match.groups()
        faults.append({"id": ident, "file": file, "what": what,
                       "original": original, "replacement": replacement})
    declared = len(re.findall(r"^@@ ", text, re.M))
    if declared != len(faults):
        sys.exit(f"{path}: {declared} faults declared, {len(faults)} readable")
    return faults


def folder_of(file):
    parts = pathlib.PurePath(file).parts
    return "/".join(parts[:2]) if parts[0] == "src" else parts[0]


def run(command, cwd, timeout):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, timeout=timeout)


def failed_tests(ctest_output):
    return re.findall(r"^\s*\d+ - (\S+) \(", ctest_output, re.M)


def try_fault(fault, build, jobs, preferred):
    path = ROOT / fault["file"]
    original = path.read_bytes()
    text = original.decode("utf-8")
    if text.count(fault["original"]) != 1:
        return "not applicable", "the original text does not occur exactly once"
    try:
        path.write_text(text.replace(fault["original"], fault["replacement"]))
        ctest = ["ctest", "--timeout", "180", "--stop-on-failure", "-j", str(jobs)]
        # The programs that caught it before are built and run first, alone.
        programs = [name for name in preferred if (ROOT / "tests" / f"{name}.cpp").exists()]
        if programs:
            built = run(["cmake", "--build", str(build), "--target", *programs], ROOT, 1800)
            if built.returncode != 0:
                return "not built", built.stdout[-400:]
            names = "|".join(re.escape(name) for name in programs)
            first = run(ctest + ["-R", f"^({names})$"], build, 1800)
            if first.returncode != 0:
                return "caught", " ".join(failed_tests(first.stdout)) or "ctest failed"
        built = run(["cmake", "--build", str(build)], ROOT, 1800)
        if built.returncode != 0:
            return "not built", built.stdout[-400:]
        tests = run(ctest, build, 1800)
        if tests.returncode != 0:
            return "caught", " ".join(failed_tests(tests.stdout)) or "ctest failed"
        return "missed", ""
    finally:
        path.write_bytes(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--faults", default=str(ROOT / "scripts" / "fault-sample.txt"))
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--out")
    parser.add_argument("--prefer")
    args = parser.parse_args()

    faults = read_faults(pathlib.Path(args.faults))
    if args.only:
        faults = [fault for fault in faults if fault["id"] in args.only]
    preferred = {}
    if args.prefer:
        # An --out file or the results table: the last column names the tests.
        for line in pathlib.Path(args.prefer).read_text().splitlines():
            ident, *fields = line.split("\t")
            if not ident.startswith("#") and fields:
                preferred[ident] = [name for name in fields[-1].split() if name.startswith("tst_")]
    results = []
    for fault in faults:
        started = time.monotonic()
        verdict, detail = try_fault(fault, pathlib.Path(args.build), args.jobs,
                                    preferred.get(fault["id"], []))
        line = (f"{fault['id']}\t{verdict}\t{fault['file']}\t{fault['what']}\t{detail}"
                f"\t{time.monotonic() - started:.0f}s")
        print(line, flush=True)
        results.append((fault, verdict, detail))
        if args.out:
            with open(args.out, "a") as out:
                out.write(f"{fault['id']}\t{verdict}\t{detail if verdict == 'caught' else ''}\n")
    run(["cmake", "--build", args.build], ROOT, 1800)

    per_folder = collections.defaultdict(collections.Counter)
    for fault, verdict, _ in results:
        per_folder[folder_of(fault["file"])][verdict] += 1
    summary = ["folder\tcaught\tmissed\tother"]
    for folder in sorted(per_folder):
        counts = per_folder[folder]
        other = sum(counts.values()) - counts["caught"] - counts["missed"]
        summary.append(f"{folder}\t{counts['caught']}\t{counts['missed']}\t{other}")
    print("\n".join(summary))


if __name__ == "__main__":
    main()
