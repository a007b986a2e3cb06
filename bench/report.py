"""Prints the benchmark table of bench/run from Google Benchmark's JSON output.

Usage: report.py COMPONENT.json SESSION.json [OTHER.json ...]

The "Door_" benchmarks of the other files (the C interface, the Python package) are shown
beside the session's trivial request; the rest of them each on a line.

Each in-memory, in-process benchmark of the component is followed by its twin on a database
file ("_File") and by the same work through the session ("Session_"), with their cost against
the in-memory figure of the same run, in time and in processor time (on a machine shared with
others, the clock also counts their work). The session's ShowChild rows are compared with the
in-process work that session_bench times turn about with each request.
"""
import json
import re
import sys


def plain_name(name):
    """The benchmark's name without the suffixes the library adds for its options."""
    return re.sub(r"/(real_time|manual_time|iterations:\d+|repeats:\d+)", "", name)


def load(path):
    """The runs by name: the median of the repetitions where there are several, else the run."""
    try:
        with open(path) as f:
            runs = json.load(f).get("benchmarks", [])
    except (OSError, ValueError):
        return {}  # a filter that left the program nothing to run
    by_name = {}
    for b in runs:
        if b.get("run_type", "iteration") == "iteration":
            by_name.setdefault(plain_name(b.get("run_name", b["name"])), b)
    for b in runs:
        if b.get("aggregate_name") == "median":
            by_name[plain_name(b["run_name"])] = b
    return by_name


def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b["real_time"] * scale


def cpu_ms(b):
    """Processor time: this process's, and for a session benchmark the session's as well."""
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b["cpu_time"] * scale + b.get("session_cpu_ms", 0.0)


def baseline_name(name):
    return name.replace("/", "_Baseline/", 1) if "/" in name else name + "_Baseline"


def memory_name(name):
    """The in-memory, in-process benchmark of the same work, for a file or session one."""
    if name.startswith("Session_"):
        return name[len("Session_"):]
    return name.replace("_File", "", 1)


def skipped(name):
    return "_Baseline" in name or name.startswith(("SalesViewMemory", "Session_ReadersAndWriter"))


def fmt(value, pattern):
    return format(value, pattern) if value is not None else "-"


def print_doors(by_name, doors):
    """The trivial request through each door, the session's pipe first: time on the clock, and
    processor time (the client's, and the session process's too), which a busy machine's
    neighbours do not inflate."""
    def us(b, value):
        return value(b) * 1000 if b else None

    pipe, cat = by_name.get("Session_Get"), by_name.get("Session_Get_Baseline")
    print('\nA trivial request ({"get": "ListFileToDelete"}), request to answer:')
    print(f"  {'':<56}{'wall us':>9}{'cpu us':>9}")
    print(f"  {'through the session (pipe)':<56}{fmt(us(pipe, ms), '.2f'):>9}"
          f"{fmt(us(pipe, cpu_ms), '.2f'):>9}   (the pipe alone, through cat: "
          f"{fmt(us(cat, ms), '.2f')} us)")
    for name, label, target in (("Door_CInterface_Get", "in-process, C interface", 3),
                                ("Door_Python_Get", "in-process, Python package", 15)):
        b = doors.get(name)
        print(f"  {label:<56}{fmt(us(b, ms), '.2f'):>9}{fmt(us(b, cpu_ms), '.2f'):>9}"
              f"   (target {target} us)")


def main():
    by_name = load(sys.argv[1])
    by_name.update(load(sys.argv[2]))
    order = [n for n in by_name if not skipped(n)]
    # Each in-memory row first, its file and session twins right after it.
    grouped = []
    for name in order:
        if memory_name(name) != name and memory_name(name) in by_name:
            continue
        grouped.append(name)
        for twin in order:
            if twin != name and memory_name(twin) == name:
                grouped.append(twin)

    print(f"{'benchmark':<42}{'rows':>8}{'component ms':>14}{'baseline ms':>13}{'ratio':>8}"
          f"{'us/row':>9}{'to memory':>11}{'cpu to memory':>15}")
    for name in grouped:
        b = by_name[name]
        base = by_name.get(baseline_name(name))
        memory = by_name.get(memory_name(name)) if memory_name(name) != name else None
        n = int(b.get("rows", 0))
        t = ms(b)
        bt = ms(base) if base else None
        to_memory = cpu_to_memory = None
        if "in_memory_ms" in b:  # the in-process work timed turn about with the session's
            to_memory = t / b["in_memory_ms"]
            cpu_to_memory = b["session_cpu_ms"] / b["in_memory_cpu_ms"]
        elif memory:
            to_memory, cpu_to_memory = t / ms(memory), cpu_ms(b) / cpu_ms(memory)
        print(f"{name:<42}{n:>8}{t:>14.4f}{fmt(bt, '.4f'):>13}"
              f"{fmt(t / bt if bt else None, '.2f'):>8}"
              f"{fmt(t * 1000 / n if n else None, '.2f'):>9}"
              f"{fmt(to_memory, '.2f'):>11}{fmt(cpu_to_memory, '.2f'):>15}")
    for name, b in by_name.items():
        if name.startswith("SalesViewMemory"):
            print(f"\nSales view of {int(b['rows'])} rows: {b['held_bytes'] / 1e6:.1f} MB held, "
                  f"{b['stored_bytes'] / 1e6:.1f} MB stored, ratio {b['ratio_to_stored']:.2f}")
        if name.startswith("Session_ReadersAndWriter"):
            print(f"\nFour sessions showing {1000} sales rows while one writes, "
                  f"{b['seconds']:.0f} s: {int(b['rows_written'])} rows written in "
                  f"{int(b['batches'])} batches, {int(b['rows_found'])} found; "
                  f"errors: {int(b['reader_errors'])} reading, {int(b['write_errors'])} writing; "
                  f"{int(b['reads_differing'])} views read back differing")
            print(f"  per row, CPU: alone {b['alone_cpu_us_per_row']:.1f} us, beside the writer "
                  f"{b['readers_cpu_us_per_row']:.1f} us "
                  f"({b['readers_cpu_us_per_row'] / b['alone_cpu_us_per_row']:.2f}x); wall: alone "
                  f"{b['alone_wall_us_per_row']:.1f} us, beside the writer "
                  f"{b['readers_wall_us_per_row']:.1f} us (five processes on "
                  f"{b.get('cores', 0):.0f} cores)")
    others = {}
    for path in sys.argv[3:]:
        others.update(load(path))
    doors = {name: b for name, b in others.items() if name.startswith("Door_")}
    if doors:
        print_doors(by_name, doors)
    for name, b in others.items():
        if name in doors:
            continue
        extra = ""
        if "items_per_second" in b:
            extra = f"  {b['items_per_second']:,.0f} items/s"
        print(f"{name:<50}{ms(b):>12.4f} ms{extra}")


if __name__ == "__main__":
    main()
