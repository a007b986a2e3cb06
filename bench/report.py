"""Prints the benchmark table of bench/run from Google Benchmark's JSON output."""
import json
import sys


def load(path):
    """The runs by name: the median of the repetitions where there are several, else the run."""
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    by_name = {}
    for b in runs:
        if b.get("run_type", "iteration") == "iteration":
            by_name.setdefault(b.get("run_name", b["name"]), b)
    for b in runs:
        if b.get("aggregate_name") == "median":
            by_name[b["run_name"]] = b
    return by_name


def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b["real_time"] * scale


def main():
    by_name = load(sys.argv[1])
    rows = []
    for name, b in by_name.items():
        if "_Baseline" in name or name.startswith("SalesViewMemory"):
            continue
        base_name = name.replace("/", "_Baseline/", 1) if "/" in name else name + "_Baseline"
        base = by_name.get(base_name)
        n = int(b.get("rows", 0))
        t = ms(b)
        bt = ms(base) if base else None
        rows.append((name, n, t, bt, (t / bt) if bt else None, (t * 1000 / n) if n else None))
    print(f"{'benchmark':<42}{'rows':>8}{'component ms':>14}{'baseline ms':>13}{'ratio':>8}{'us/row':>9}")
    for name, n, t, bt, ratio, per_row in rows:
        print(f"{name:<42}{n:>8}{t:>14.4f}"
              f"{(f'{bt:.4f}' if bt else '-'):>13}{(f'{ratio:.2f}' if ratio else '-'):>8}"
              f"{(f'{per_row:.2f}' if per_row else '-'):>9}")
    for name, b in by_name.items():
        if name.startswith("SalesViewMemory"):
            print(f"\nSales view of {int(b['rows'])} rows: {b['held_bytes'] / 1e6:.1f} MB held, "
                  f"{b['stored_bytes'] / 1e6:.1f} MB stored, ratio {b['ratio_to_stored']:.2f}")
    for path in sys.argv[2:]:
        for name, b in load(path).items():
            extra = ""
            if "items_per_second" in b:
                extra = f"  {b['items_per_second']:,.0f} items/s"
            print(f"{name:<50}{ms(b):>12.4f} ms{extra}")


if __name__ == "__main__":
    main()
