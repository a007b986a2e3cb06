"""The trivial request through the Python package, in Google Benchmark's JSON form for
bench/report.py: `c.ListFileToDelete` (a property read: request built, sent through ctypes,
answer parsed and mapped), median of three runs of timed batches.

Usage: python_bench.py LIBRARY PROGRAM OUT.json  (PYTHONPATH must reach python/src)."""

import json
import os
import statistics
import sys
import tempfile
import time


def main():
    library, program, out = sys.argv[1:4]
    os.environ["DORSEL_LIBRARY"] = library
    import subprocess

    from dorsel import Component

    with tempfile.TemporaryDirectory(prefix="dorsel-python-bench-") as folder:
        db = os.path.join(folder, "demo.sqlite")
        subprocess.run([program, "demo", db], check=True, capture_output=True)
        with Component(db=db) as c:
            for _ in range(2000):  # warm: caches, the member's kind, the allocator
                c.ListFileToDelete
            runs = []
            for _ in range(3):
                iterations = 20000
                wall, cpu = time.perf_counter_ns(), time.process_time_ns()
                for _ in range(iterations):
                    c.ListFileToDelete
                wall, cpu = time.perf_counter_ns() - wall, time.process_time_ns() - cpu
                runs.append((wall / iterations / 1000, cpu / iterations / 1000))
    real, cpu = statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs)
    with open(out, "w") as f:
        json.dump({"benchmarks": [{"name": "Door_Python_Get", "run_name": "Door_Python_Get",
                                   "run_type": "iteration", "iterations": 20000,
                                   "real_time": real, "cpu_time": cpu, "time_unit": "us"}]}, f)


if __name__ == "__main__":
    main()
