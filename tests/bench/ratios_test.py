"""bench/ratios.py against small reports whose ratios are known.

    ratios_test.py PATH/TO/ratios.py
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

SCRIPT = sys.argv.pop(1) if len(sys.argv) > 1 else "bench/ratios.py"
ROW = re.compile(r"^(\S+ / \S+)\s+(\S+)\s*(<= \S+)?\s*(.*)$")


def aggregate(name, median, unit="ns"):
    """The mean and median entries --benchmark_report_aggregates_only writes. The
    mean and the real time are not proportional to the median's CPU time, so a
    ratio taken from either comes out wrong."""
    return [
        {"name": name + "_" + kind, "run_name": name, "run_type": "aggregate", "repetitions": 5,
         "aggregate_name": kind, "real_time": value * 2 + 1, "cpu_time": value, "time_unit": unit}
        for kind, value in (("mean", median * 3 + 1), ("median", median))
    ]


def run(report_text):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "run.json")
        with open(path, "w", encoding="utf-8") as file:
            file.write(report_text)
        return subprocess.run([sys.executable, SCRIPT, path], capture_output=True, text=True, check=False)


def table_rows(output):
    """{"A / B": (value, target, verdict)} from the printed table."""
    found = {}
    for line in output.splitlines():
        match = ROW.match(line)
        if match:
            found[match.group(1)] = (match.group(2), match.group(3) or "", match.group(4))
    return found


class Ratios(unittest.TestCase):
    def test_frame_ratios_use_medians_in_one_unit_against_their_targets(self):
        benchmarks = (aggregate("BM_FrameMemcpy", 100) + aggregate("BM_SceneShimmer", 650)
                      + aggregate("BM_SceneShimmer/sse2", 1.2, unit="us")
                      + aggregate("BM_SceneInset", 700)
                      + aggregate("BM_TransferFrame/32", 0.105, unit="us")
                      + aggregate("BM_TransferFrame/32bgr", 111)
                      + aggregate("BM_TransferFrame/30bit", 300))
        report = {"context": {"cpu_model": "Test CPU 3000", "lumiscene_form": "avx2"}, "benchmarks": benchmarks}
        result = run(json.dumps(report))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("Test CPU 3000", result.stdout)
        self.assertIn("avx2 form", result.stdout)
        rows = table_rows(result.stdout)
        self.assertEqual(rows["BM_SceneShimmer / BM_FrameMemcpy"], ("6.50", "<= 7", "met"))
        self.assertEqual(rows["BM_SceneShimmer/sse2 / BM_FrameMemcpy"], ("12.00", "", ""))
        self.assertEqual(rows["BM_SceneInset / BM_FrameMemcpy"], ("7.00", "<= 6", "NOT met"))
        self.assertEqual(rows["BM_TransferFrame/32 / BM_FrameMemcpy"], ("1.05", "<= 1.1", "met"))
        self.assertEqual(rows["BM_TransferFrame/32bgr / BM_FrameMemcpy"], ("1.11", "<= 1.1", "NOT met"))
        # A display format the table does not name is held to the converting formats' target.
        self.assertEqual(rows["BM_TransferFrame/30bit / BM_FrameMemcpy"], ("3.00", "<= 2", "NOT met"))

    def test_missing_and_failed_benchmarks_are_reported_not_fatal(self):
        benchmarks = (aggregate("BM_FrameMemcpy", 100) + aggregate("BM_Decode/pic", 2, unit="ms")
                      + aggregate("BM_DecodeTurbo/pic", 1, unit="ms")
                      + [{"name": "BM_FrameStep", "run_name": "BM_FrameStep", "run_type": "iteration",
                          "error_occurred": True, "error_message": "no display"}])
        result = run(json.dumps({"context": {}, "benchmarks": benchmarks}))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("unknown", result.stdout)
        rows = table_rows(result.stdout)
        self.assertEqual(rows["BM_FrameStep / BM_FrameMemcpy"], ("-", "<= 10", "BM_FrameStep missing"))
        self.assertEqual(rows["BM_SceneShimmer/avx2 / BM_FrameMemcpy"],
                         ("-", "<= 9", "BM_SceneShimmer/avx2 missing"))
        self.assertEqual(rows["BM_Decode/pic / BM_DecodeTurbo/pic"], ("2.00", "", ""))
        self.assertEqual(rows["BM_Decode/pic / BM_DecodeStb/pic"], ("-", "", "BM_DecodeStb/pic missing"))

    def test_runs_without_aggregates_take_the_median_of_the_repetitions(self):
        benchmarks = [{"name": name, "run_name": name, "run_type": "iteration", "cpu_time": time,
                       "time_unit": "ms"}
                      for name, time in (("BM_LoadUserPicture/12mp", 30), ("BM_LoadUserPicture/12mp", 10),
                                         ("BM_LoadUserPicture/12mp", 12), ("BM_DecodeTurboPhoto/12mp", 8))]
        rows = table_rows(run(json.dumps({"benchmarks": benchmarks})).stdout)
        self.assertEqual(rows["BM_LoadUserPicture/12mp / BM_DecodeTurboPhoto/12mp"], ("1.50", "", ""))

    def test_an_unreadable_report_ends_with_one_line_and_status_2(self):
        result = run('{"benchmarks": [')
        self.assertEqual(result.returncode, 2)
        self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
        self.assertEqual(result.stdout, "")


if __name__ == "__main__":
    unittest.main()
