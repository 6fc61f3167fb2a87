#!/usr/bin/env python3
"""Prints the benchmark table of tools/bench.sh.

    bench_table.py <native benchmark JSON> <page fill output> <DLL> [<more page fill output>...]

Parsers: the fastest repetition of each parser and of the bare walk over the
same lines (BM_Parse<Name>/<lines> beside BM_Scan<Name>/<lines>). Pages: the
lines "fill <page> <size> <page us> <bare us>" of page_fill_bench.exe, size 0
being the page on an empty site; the host's own pages (admin_lists_bench.exe)
print the same lines, timed from the operator's click until the list is
painted, beside a virtual list view given the same strings. Growth is the time's factor from the size
before, scaled to a tenfold size.
"""
import json
import math
import os
import re
import sys


def growth(previous, current):
    if previous is None or previous[0] <= 0 or previous[1] <= 0:
        return "-"
    size_factor = current[0] / previous[0]
    factor = (current[1] / previous[1]) ** (1 / math.log10(size_factor))
    return f"{factor:.1f}x"


def size_text(size, unit):
    return f"{size // 1000}k {unit}" if size >= 1000 and size % 1000 == 0 else f"{size} {unit}"


def milliseconds(microseconds):
    return f"{microseconds / 1000:.2f} ms" if microseconds < 10000 else f"{microseconds / 1000:.0f} ms"


def parser_rows(path):
    with open(path) as handle:
        report = json.load(handle)
    best = {}
    for run in report.get("benchmarks", []):
        if run.get("run_type", "iteration") != "iteration" or run.get("error_occurred"):
            continue
        match = re.match(r"BM_(Parse|Scan)(\w+)/(\d+)", run["name"])
        if not match:
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run.get("time_unit", "ns")]
        key = (match.group(2), match.group(1), int(match.group(3)))
        time = run["real_time"] * scale
        rate = run.get("bytes_per_second", 0) / 1e6
        if key not in best or time < best[key][0]:
            best[key] = (time, rate)
    rows = []
    for name in dict.fromkeys(key[0] for key in best):
        previous = None
        for size in sorted({key[2] for key in best if key[0] == name}):
            parse = best.get((name, "Parse", size))
            scan = best.get((name, "Scan", size))
            if parse is None or scan is None:
                continue
            words = re.sub(r"(?<!^)([A-Z])", r" \1", name).lower()
            rows.append([f"parse {words}", size_text(size, "lines"),
                         f"{milliseconds(parse[0])} ({parse[1]:.0f} MB/s)",
                         f"{milliseconds(scan[0])} ({scan[1]:.0f} MB/s)",
                         f"{parse[0] / scan[0]:.2f}x", "", growth(previous, (size, parse[0]))])
            previous = (size, parse[0])
    return rows


# The unit of a page's size; accounts unless named here.
ROW_UNITS = {"Groups": "rows", "Online users": "rows", "Host group members": "members",
             "Host own command reply": "lines", "Host history": "lines"}


def page_rows(paths):
    results = {}
    order = []
    failures = []
    lines = []
    for path in paths:
        with open(path) as handle:
            lines += handle.readlines()
    for line in lines:
        fields = line.rstrip("\n").split("\t")
        if fields[0] == "fail":
            failures.append(" ".join(fields[1:]))
        if fields[0] != "fill" or len(fields) != 5:
            continue
        page, size, page_time, bare_time = fields[1], int(fields[2]), float(fields[3]), float(fields[4])
        if page not in results:
            results[page] = {}
            order.append(page)
        results[page][size] = (page_time, bare_time)
    rows = []
    for page in order:
        unit = ROW_UNITS.get(page, "users")
        empty = results[page].get(0)
        previous = None
        for size in sorted(results[page]):
            page_time, bare_time = results[page][size]
            if size == 0:
                rows.append([f"page {page}", "empty site", milliseconds(page_time), milliseconds(bare_time),
                             "", "", ""])
                continue
            fill_ratio = ""
            if empty is not None:
                fill_ratio = f"{(page_time - empty[0]) / max(bare_time - empty[1], 1):.2f}x"
            rows.append([f"page {page}", size_text(size, unit), milliseconds(page_time),
                         milliseconds(bare_time), f"{page_time / bare_time:.2f}x", fill_ratio,
                         growth(previous, (size, page_time))])
            previous = (size, page_time)
    return rows, failures


def main():
    native, pages, dll = sys.argv[1:4]
    rows = parser_rows(native)
    page_lines, failures = page_rows([pages] + sys.argv[4:])
    rows += page_lines
    header = ["benchmark", "size", "time", "bare cost", "ratio", "fill ratio", "growth per 10x"]
    widths = [max(len(str(row[i])) for row in rows + [header]) for i in range(len(header))]
    print("  ".join(title.ljust(width) for title, width in zip(header, widths)))
    print("  ".join("-" * width for width in widths))
    for row in rows:
        print("  ".join(str(cell).ljust(width) for cell, width in zip(row, widths)))
    print()
    print("bare cost: parsers: walking the same lines to their ends; pages: the same strings put into")
    print("  the same kind of control with the same styles in a plain window (created hidden, like a")
    print("  dialog during WM_INITDIALOG, then shown and painted).")
    print("  Host accounts and Host group members: from the click that lists them until painted, beside")
    print("  a virtual list view of the page's style and columns given the same strings and painted.")
    print("  Host own command reply: from Send until painted, beside the whole reply given to an edit of")
    print("  the page's result box's style (showing it all); the page shows it bounded.")
    print("fill ratio: (page - page on an empty site) / (bare - bare with no strings).")
    size = os.path.getsize(dll)
    print(f"{os.path.basename(dll)}: {size} bytes ({size / 1024:.1f} KB; limit 200 KB)")
    for failure in failures:
        print(f"FAILED: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
