#!/usr/bin/env python3
"""Prints web_bench's figures: the item page and each panel over HTTP against in-process.

Usage: bench/web_report.py web.json
"""
import json
import sys


def median_ms(benchmarks, name):
    for bench in benchmarks:
        if bench["name"] in (name + "_median", name) and bench.get("aggregate_name", "median") \
                == "median":
            return bench["real_time"], bench.get("label", "")
    return None, ""


def main():
    with open(sys.argv[1], encoding="utf-8") as source:
        benchmarks = json.load(source)["benchmarks"]
    http, _ = median_ms(benchmarks, "BM_ItemPage_Http")
    local, _ = median_ms(benchmarks, "BM_ItemPage_InProcess")
    print("\nBrowser console (demo database, item CAVO-FG16-3G1.5), medians in ms")
    print(f"{'request':<34}{'HTTP':>9}{'in-process':>12}{'difference':>12}")
    print(f"{'item page (every tab)':<34}{http:>9.2f}{local:>12.2f}{http - local:>12.2f}"
          f"   target HTTP <= 100 ms: {'met' if http <= 100 else 'NOT met'}")
    index = 0
    while True:
        http, label = median_ms(benchmarks, f"BM_Panel_Http/{index}")
        local, _ = median_ms(benchmarks, f"BM_Panel_InProcess/{index}")
        if http is None or local is None:
            break
        verdict = "met" if http <= local + 1.0 else "NOT met"
        print(f"{'panel ' + label:<34}{http:>9.2f}{local:>12.2f}{http - local:>12.2f}"
              f"   target +1 ms: {verdict}")
        index += 1


if __name__ == "__main__":
    main()
