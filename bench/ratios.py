#!/usr/bin/env python3
"""The ratio table `make bench` prints after the benchmark binary.

    bench/ratios.py RUN.json

RUN.json is what lumiscene-bench writes with --benchmark_out. Our speed targets
are ratios of two benchmarks of the same run, which hold from one machine to
another where absolute times do not: the frame work against one memcpy of the
frame (BM_FrameMemcpy), our decoder against its peers decoding the same picture.
Each ratio takes the medians of the CPU times (of the repetitions, or of the
single run when there was one), so a stretch in which the shared machine was
busy elsewhere does not decide it. A benchmark the run does not hold (filtered
out, or skipped with an error) makes its rows say "missing"; the table is
printed all the same and the status stays 0, so `make bench` goes on.
Standard library only: Debian's python3 is all it needs.
"""
import json
import statistics
import sys

MEMCPY = "BM_FrameMemcpy"

# Frame work against the memcpy floor: the highest ratio allowed. Rows come in
# the order of FRAME_GROUPS; a name ending in "/" takes every benchmark of that
# family the run holds (the instruction-set forms, the display formats), and a
# benchmark named here gets its row even when the run lacks it.
FRAME_TARGETS = {
    "BM_SceneShimmer": 7,
    "BM_SceneShimmer/avx2": 9,
    "BM_FrameStep": 10,
    "BM_SceneInset": 6,
    "BM_TransferFrame/32": 1.1,
    "BM_TransferFrame/32bgr": 1.1,
    "BM_TransferFrame/565": 2,
    "BM_TransferFrame/555": 2,
    "BM_TransferFrame/24": 2,
}
FRAME_GROUPS = ["BM_SceneShimmer", "BM_SceneShimmer/", "BM_FrameStep", "BM_SceneInset", "BM_TransferFrame/"]
# A display format added later is held to what the other converting ones are.
OTHER_TRANSFER_TARGET = 2

TO_NANOSECONDS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def medians(report):
    """Median CPU time in nanoseconds per benchmark that ran without error."""
    aggregated = {}
    runs = {}
    for entry in report.get("benchmarks", []):
        if entry.get("error_occurred"):
            continue
        name = entry.get("run_name", entry["name"])
        time = entry["cpu_time"] * TO_NANOSECONDS[entry.get("time_unit", "ns")]
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") == "median":
                aggregated[name] = time
        else:
            runs.setdefault(name, []).append(time)
    times = {name: statistics.median(values) for name, values in runs.items()}
    times.update(aggregated)
    return times


def in_group(name, group):
    return name.startswith(group) if group.endswith("/") else name == group


def frame_target(name):
    if name in FRAME_TARGETS:
        return FRAME_TARGETS[name]
    return OTHER_TRANSFER_TARGET if name.startswith("BM_TransferFrame/") else None


def rows(times):
    """(numerator, denominator, target or None) for every ratio we follow."""
    wanted = []
    for group in FRAME_GROUPS:
        names = [name for name in times if in_group(name, group)]
        names += [name for name in FRAME_TARGETS if in_group(name, group) and name not in names]
        wanted += [(name, MEMCPY, frame_target(name)) for name in names]
    for name in times:
        family, _, picture = name.partition("/")
        if family in ("BM_Decode", "BM_DecodeInteger"):
            wanted.append((name, "BM_DecodeTurbo/" + picture, None))
            wanted.append((name, "BM_DecodeStb/" + picture, None))
        elif family == "BM_LoadUserPicture":
            wanted.append((name, "BM_DecodeTurboPhoto/" + picture, None))
    return wanted


def table(report):
    times = medians(report)
    context = report.get("context", {})
    repetitions = max([entry.get("repetitions", 1) for entry in report.get("benchmarks", [])] or [1])
    cells = []
    for numerator, denominator, target in rows(times):
        label = "%s / %s" % (numerator, denominator)
        limit = "<= %g" % target if target is not None else ""
        missing = [name for name in (numerator, denominator) if name not in times]
        if missing:
            cells.append((label, "-", limit, ", ".join(missing) + " missing"))
            continue
        ratio = times[numerator] / times[denominator]
        verdict = "" if target is None else ("met" if ratio <= target else "NOT met")
        cells.append((label, "%.2f" % ratio, limit, verdict))
    width = max(len(cell[0]) for cell in cells)
    lines = [
        "Processor: %s; benchmarks without a form in their name ran in the %s form"
        % (context.get("cpu_model", "unknown"), context.get("lumiscene_form", "unknown")),
        "Ratios of median CPU times (%d repetitions)" % repetitions,
        "%-*s %6s  %s" % (width, "", "ratio", "target"),
    ]
    for label, value, limit, verdict in cells:
        lines.append(("%-*s %6s  %-7s %s" % (width, label, value, limit, verdict)).rstrip())
    return "\n".join(lines)


def main(argv):
    if len(argv) != 2:
        print("usage: ratios.py RUN.json", file=sys.stderr)
        return 2
    try:
        with open(argv[1], encoding="utf-8") as file:
            report = json.load(file)
    except (OSError, ValueError) as error:
        print("ratios.py: cannot read %s: %s" % (argv[1], error), file=sys.stderr)
        return 2
    print(table(report))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
