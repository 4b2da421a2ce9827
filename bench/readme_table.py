#!/usr/bin/env python3
"""README's performance table from one run of the frame benchmark.

    huewarp_bench --benchmark_filter=BM_ --benchmark_out=run.json --benchmark_out_format=json
    bench/readme_table.py run.json

Every ratio is taken within the run: the look against the plain copy of the same depth, picture
and thread count, the reference and OpenImageIO's map against the look.
"""
import json
import re
import sys

# How README names the bench's looks; * marks the 37 stops, 12 handles and Cycle Scale 2.37.
NAMES = {
    "default": 'default ("Min RGB", 5 stops)',
    "stops100": "100 stops, discrete",
    "intensity": '"Intensity" *',
    "hue": '"Hue" *',
    "saturation": '"Saturation" *',
    "magenta": '"Magenta" *',
    "maxcmyk": '"Max CMYK" *',
    "intensity-composite-blend": '"Intensity" *, composite, blend 50',
    "wrap-bounce-725": "smooth wrap, Bounce, 725° *",
    "intensity-5-stops": '"Intensity", 5 stops, opaque',
}


def parse(path):
    times, labels = {}, {}
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") == "aggregate" or b.get("error_occurred"):
            continue
        kind = b["name"].split("/")[0][3:]
        args = dict(re.findall(r"(\w+):(\d+)", b["name"]))
        key = (kind,) + tuple(int(args[k]) for k in ("depth", "look", "picture", "threads") if k in args)
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        times[key] = min(times.get(key, float("inf")), b["real_time"] * scale)
        if "look" in args:
            labels[int(args["look"])] = b.get("label", args["look"])
    return times, labels


def cell(value, digits=0, suffix=""):
    return "" if value is None else f"{value:.{digits}f}{suffix}"


def main(path):
    t, labels = parse(path)
    get = t.get
    print("| Look | Depth | ms, noise | ms, photo | ms, movie | / copy, noise | / copy, photo "
          "| / copy, movie | reference / Huewarp (photo) | OIIO / Huewarp (photo) "
          "| 1 / 2 threads (photo) | pre-render, % of the photo's frame |")
    print("|---" * 12 + "|")
    for look in sorted(labels):
        for depth in (8, 16, 32):
            ms = [get(("Effect", depth, look, p, 1)) for p in range(3)]
            ratio = [m / get(("Copy", depth, p, 1)) if m and get(("Copy", depth, p, 1)) else None
                     for p, m in enumerate(ms)]
            ref = get(("Reference", depth, look, 1, 1))
            oiio = get(("OiioColorMap", depth, 1))
            two = get(("Effect", depth, look, 1, 2))
            build = get(("Build", depth, look))
            photo = ms[1]
            print(f"| {NAMES.get(labels[look], labels[look])} | {depth} | "
                  + " | ".join(cell(m) for m in ms) + " | "
                  + " | ".join(cell(r, 1, "x") for r in ratio) + " | "
                  + cell(ref / photo if ref and photo else None, 1, "x") + " | "
                  + cell(oiio / photo if oiio and photo else None, 1, "x") + " | "
                  + cell(photo / two if two and photo else None, 2, "x") + " | "
                  + cell(100 * build / photo if build is not None and photo else None, 1, "%")
                  + " |")
    copies = {(d, n): get(("Copy", d, 1, n)) for d in (8, 16, 32) for n in (1, 2)}
    print()
    print("Plain copy of the photo, 1 / 2 threads: "
          + ", ".join(f"{d} bits {cell(copies[(d, 1)])} / {cell(copies[(d, 2)])} ms"
                      for d in (8, 16, 32))
          + "; OpenImageIO's map, 1 thread: "
          + ", ".join(f"{d} bits {cell(get(('OiioColorMap', d, 1)))} ms" for d in (8, 16, 32))
          + ".")


if __name__ == "__main__":
    main(sys.argv[1])
