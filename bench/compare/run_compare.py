#!/usr/bin/env python3
"""Runs the benchmarks of two builds alternately and prints their figures.

Called by bench/compare.sh with LABEL=DIRECTORY pairs, each directory holding
device_bench, ladder_bench and instruction_count built against one library.
Every benchmark run gets a section of its own (QUORSMA_SECTION), left sparse
and removed afterwards.  Figures are CPU time, so that time the process spends
waiting for a core on a busy machine does not count; each figure is the median
over the rounds, and the order of the two builds alternates between rounds.
"""
import argparse
import json
import os
import re
import statistics
import subprocess
import sys

# (benchmark program, benchmark name, label, figure): the figure is "time"
# (CPU time per iteration) or "step" (CPU time per program step).
FIGURES = [
    ("device_bench", "BM_CallReference", "exported call doing nothing (SM)", "time"),
    ("device_bench", "BM_GetSma/plain_D100", "GetSma D100", "time"),
    ("device_bench", "BM_GetSma/plain_X1F", "GetSma X1F", "time"),
    ("device_bench", "BM_GetSma/plain_M10", "GetSma M10", "time"),
    ("device_bench", "BM_GetSma/plain_K100", "GetSma K100", "time"),
    ("device_bench", "BM_GetSma/indexed_M10Z2", "GetSma M10Z2", "time"),
    ("device_bench", "BM_GetSma/bit_D100_3", "GetSma D100.3", "time"),
    ("device_bench", "BM_GetSma/digits_K4M100", "GetSma K4M100", "time"),
    ("device_bench", "BM_SetSma/plain_D100", "SetSma D100", "time"),
    ("device_bench", "BM_SetSma/plain_M10", "SetSma M10", "time"),
    ("device_bench", "BM_SetSma/plain_Y0", "SetSma Y0", "time"),
    ("ladder_bench", "BM_ScanThroughExports", "1,000 rungs: straight-line export calls", "step"),
    ("ladder_bench", "BM_ScanTableLoop", "1,000 rungs: table-driven loop over the exports", "step"),
    ("ladder_bench", "BM_ScanTableDispatch", "1,000 rungs: the table loop calling empty functions", "step"),
    ("ladder_bench", "BM_ScanInterpreter", "1,000 rungs: hand-written interpreter, plain arrays", "step"),
    ("ladder_bench", "BM_ScanPlainCpp", "1,000 rungs: plain C++", "step"),
    ("ladder_bench", "BM_End", "END", "time"),
]
# Ratios within one build, taken in each round and then the median.
RATIOS = [
    ("table loop / interpreter", "BM_ScanTableLoop", "BM_ScanInterpreter"),
    ("table loop / straight-line exports", "BM_ScanTableLoop", "BM_ScanThroughExports"),
    ("the table loop's calls alone / interpreter", "BM_ScanTableDispatch", "BM_ScanInterpreter"),
]
PROGRAMS = ["device_bench", "ladder_bench"]
# The device benchmarks are short: three repetitions in each run, and their
# median (the ladder benchmarks repeat themselves).
EXTRA_ARGUMENTS = {"device_bench": ["--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"]}
CALLGRIND = [
    ("measure_get_D100", "GetSma D100"),
    ("measure_get_X1F", "GetSma X1F"),
    ("measure_get_M10", "GetSma M10"),
    ("measure_get_K100", "GetSma K100"),
    ("measure_get_M10Z2", "GetSma M10Z2"),
    ("measure_get_D100_3", "GetSma D100.3"),
    ("measure_get_K4M100", "GetSma K4M100"),
    ("measure_set_D100", "SetSma D100"),
    ("measure_set_M10", "SetSma M10"),
    ("measure_set_Y0", "SetSma Y0"),
    ("measure_scan_exports", "1,000 rungs: straight-line export calls, per step"),
    ("measure_scan_table_loop", "1,000 rungs: table-driven loop, per step"),
    ("measure_scan_interpreter", "1,000 rungs: hand-written interpreter, per step"),
]
TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def remove_section(name):
    for suffix in ("", ".SHARDATA"):
        try:
            os.unlink("/dev/shm/" + name + suffix)
        except FileNotFoundError:
            pass


def environment(section):
    env = dict(os.environ)
    env["QUORSMA_SECTION"] = section
    env["QUORSMA_SPARSE_SECTION"] = "1"
    env.pop("QUORSMA_TRACE", None)
    return env


def run_benchmarks(directory, program, section, min_time, log):
    """One run of a benchmark program: {benchmark name: figures}."""
    command = [os.path.join(directory, program), "--benchmark_format=json",
               "--benchmark_min_time=%s" % min_time] + EXTRA_ARGUMENTS.get(program, [])
    try:
        done = subprocess.run(command, env=environment(section), stdout=subprocess.PIPE, stderr=log, check=False)
    finally:
        remove_section(section)
    if done.returncode != 0:
        sys.exit("compare.sh: %s ended with status %d; see %s" % (command[0], done.returncode, log.name))
    report = json.loads(done.stdout)
    figures = {}
    for b in report["benchmarks"]:
        if "error_message" in b:
            sys.exit("compare.sh: %s: %s" % (b["name"], b["error_message"]))
        # Repeated benchmarks: their median; others: the one run.
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") != "median":
                continue
            name = re.sub(r"/repeats:\d+$", "", b["run_name"])
        elif b.get("repetitions", 1) > 1:
            continue
        else:
            name = b["name"]
        per_step = b["per_instruction"] * 1e9 if "per_instruction" in b else None
        figures[name] = {"time": b["cpu_time"] * TO_NS[b["time_unit"]], "step": per_step}
    return figures


def count_instructions(directory, section, log, work):
    """Instructions per operation of instruction_count under callgrind."""
    out = os.path.join(work, "callgrind.out")
    command = ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out,
               os.path.join(directory, "instruction_count")]
    try:
        done = subprocess.run(command, env=environment(section), stdout=subprocess.PIPE, stderr=log, check=False,
                              text=True)
    finally:
        remove_section(section)
    if done.returncode != 0:
        sys.exit("compare.sh: callgrind ended with status %d; see %s" % (done.returncode, log.name))
    operations = dict((n, int(c)) for n, c in (line.split() for line in done.stdout.splitlines()))
    annotated = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", out],
                               stdout=subprocess.PIPE, stderr=log, check=True, text=True).stdout
    counts = {}
    for line in annotated.splitlines():
        m = re.match(r"\s*([\d,]+)\s+(?:\([^)]*\)\s+)?\S*?(measure_\w+)\b", line)
        if m and m.group(2) in operations and m.group(2) not in counts:
            counts[m.group(2)] = int(m.group(1).replace(",", "")) / operations[m.group(2)]
    os.unlink(out)
    return counts


def library_of(directory):
    """The libQuorSMA the benchmarks of `directory` load."""
    ldd = subprocess.run(["ldd", os.path.join(directory, "device_bench")], stdout=subprocess.PIPE, text=True).stdout
    m = re.search(r"libQuorSMA\S*\s+=>\s+(\S+)", ldd)
    return os.path.realpath(m.group(1)) if m else "(not found)"


def number(x, digits=2):
    return "-" if x is None else ("%.*f" % (digits, x))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", default="0.3")
    parser.add_argument("--log", required=True)
    parser.add_argument("--callgrind", action="store_true")
    parser.add_argument("builds", nargs=2, help="LABEL=DIRECTORY")
    args = parser.parse_args()
    builds = [tuple(b.split("=", 1)) for b in args.builds]
    labels = [label for label, _ in builds]

    with open(args.log, "w") as log:
        for label, directory in builds:
            print("%-10s loads %s" % (label, library_of(directory)))
        # rounds[label] = list of {program: figures} per round
        results = {label: [] for label in labels}
        for r in range(args.rounds):
            for label in labels:
                results[label].append({})
            # Each program of the two builds back to back, the build that goes
            # first alternating, so that both meet the same load.
            for p, program in enumerate(PROGRAMS):
                order = builds if (r + p) % 2 == 0 else list(reversed(builds))
                for label, directory in order:
                    section = "qsma_compare_%d_%d_%d_%s" % (os.getpid(), r, labels.index(label), program)
                    results[label][r].update(run_benchmarks(directory, program, section, args.min_time, log))
            print("round %d of %d done" % (r + 1, args.rounds), file=sys.stderr)
        counts = {}
        if args.callgrind:
            work = os.path.dirname(args.log)
            for i, (label, directory) in enumerate(builds):
                counts[label] = count_instructions(directory, "qsma_compare_%d_callgrind_%d" % (os.getpid(), i), log,
                                                   work)

    def spread(values):
        return "%.2f (%.2f-%.2f)" % (statistics.median(values), min(values), max(values)) if values else "-"

    def paired(over, under):
        """The median over the rounds of over/under, each pair from one round."""
        ratios = [o / u for o, u in zip(over, under) if o is not None and u]
        return "%.2f" % statistics.median(ratios) if ratios else "-"

    def lowest(over, under):
        """The ratio of the two builds' lowest figures: a process lands on one of two speed levels (README), and the
        lowest figures compare the faster level of each."""
        o = [v for v in over if v is not None]
        u = [v for v in under if v is not None]
        return "%.2f" % (min(o) / min(u)) if o and u and min(u) else "-"

    def figure(label, name, kind):
        return [run[name][kind] if name in run else None for run in results[label]]

    width = 52
    print()
    print("CPU time: median of %d rounds (lowest-highest); ratio: %s / %s, the median of the rounds' ratios;"
          % (args.rounds, labels[1], labels[0]))
    print("lowest: the ratio of the lowest figures")
    print("%-*s %22s %22s %7s %7s" % (width, "figure", labels[0], labels[1], "ratio", "lowest"))
    for _, name, text, kind in FIGURES:
        values = [figure(label, name, kind) for label in labels]
        unit = "ns/step" if kind == "step" else "ns"
        shown = [spread([v for v in vs if v is not None]) for vs in values]
        print("%-*s %22s %22s %7s %7s" % (width, text + " [" + unit + "]", shown[0], shown[1],
                                           paired(values[1], values[0]), lowest(values[1], values[0])))
    for text, over, under in RATIOS:
        values = []
        for label in labels:
            o, u = figure(label, over, "step"), figure(label, under, "step")
            values.append([a / b if a is not None and b else None for a, b in zip(o, u)])
        shown = [spread([v for v in vs if v is not None]) for vs in values]
        print("%-*s %22s %22s %7s %7s" % (width, text, shown[0], shown[1], paired(values[1], values[0]),
                                           lowest(values[1], values[0])))
    if counts:
        print()
        print("instructions per operation (callgrind, exact)")
        print("%-*s %22s %22s %7s" % (width, "operation", labels[0], labels[1], "ratio"))
        for function, text in CALLGRIND:
            values = [counts[label].get(function) for label in labels]
            ratio = values[1] / values[0] if None not in values and values[0] else None
            print("%-*s %22s %22s %7s" % (width, text, number(values[0], 1), number(values[1], 1), number(ratio)))


if __name__ == "__main__":
    main()
