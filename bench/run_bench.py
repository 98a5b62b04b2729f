"""The corner job against cp, Pillow, ImageMagick and OpenCV: `make bench`.

For each input (made by the project's own bmpgen) every tool runs the whole job in its
own process: load, paint the four corners, save. The tools take turns within each round,
in an order that rotates from round to round, so that the machine's drift (other builds,
page cache, frequency) falls on all of them alike and cancels in the ratios. Ratios are
the median over rounds of the per-round ratio. Every tool's output is checked: outside the
corners its pixels must equal the input's, inside them they must be black.

Run with Debian's /usr/bin/python3 (python3-pil, python3-numpy for the check).
"""

import argparse
import datetime
import os
import platform
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from corner_runs import bmp_size, painted_runs  # noqa: E402
from peers import imagemagick_draw  # noqa: E402

# depth, width, height: the inputs of the comparison.
INPUTS = [
    (24, 8192, 8192),
    (32, 4096, 4096),
    (8, 8192, 8192),
    (4, 8192, 8192),
    (1, 8192, 8192),
    (16, 8192, 8192),
]
PEERS = ("pillow", "imagemagick", "opencv")
# Tools whose 32-bit output keeps the colour of fully transparent pixels.
KEEP_ALPHA = ("bmpcorners", "pillow", "opencv")  # and every --also variant
CONVERT = "/usr/bin/convert"  # ImageMagick 6 itself, not a wrapper earlier on PATH
PYTHON = "/usr/bin/python3"
TIME = "/usr/bin/time"  # GNU time, for the peak memory


def run_measured(command, env, scratch):
    """Runs command; returns (seconds, peak resident memory in bytes).

    GNU time reports the peak: a child forked from this Python process would otherwise
    inherit the interpreter's own peak into its ru_maxrss.
    """
    report = scratch + ".rss"
    start = time.perf_counter()
    result = subprocess.run([TIME, "-f", "%M", "-o", report] + command, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (command[0], result.returncode,
                                                    result.stderr.decode(errors="replace").strip()))
    with open(report) as f:
        peak_kib = int(f.read().split()[-1])
    os.remove(report)
    return seconds, peak_kib * 1024


# Further builds of bmpcorners to time beside this one (--also NAME=PATH): a change
# judged against the build before it, under the same conditions.
VARIANTS = {}


def commands(tool, source, target, build):
    env = None
    if tool == "bmpcorners":
        command = [os.path.join(build, "bmpcorners"), source, target]
    elif tool in VARIANTS:
        command = [VARIANTS[tool], source, target]
    elif tool == "cp":
        command = ["cp", source, target]
    elif tool == "imagemagick":
        # The policy file lifts the memory limits so that 8192 x 8192 pictures stay in RAM.
        env = dict(os.environ, MAGICK_CONFIGURE_PATH=os.path.join(HERE, "imagemagick"))
        command = [CONVERT, source, "+antialias", "-fill", "black", "-draw",
                   imagemagick_draw(source), "BMP3:" + target]
    else:
        command = [PYTHON, os.path.join(HERE, "peers.py"), tool, source, target]
    return command, env


def check_output(source, target, depth, keeps_alpha):
    """None when target holds source's pixels with the corners black, else a complaint.

    Colours are compared (alpha is not: not every tool writes it). A tool that drops
    alpha may also drop the colour of fully transparent pixels (ImageMagick does); for
    such a tool those pixels are not compared.
    """
    import numpy
    from PIL import Image

    with Image.open(source) as image:
        expected = numpy.array(image.convert("RGB"))
    with Image.open(target) as image:
        actual = numpy.array(image.convert("RGB"))
    if expected.shape != actual.shape:
        return "size %s, expected %s" % (actual.shape[1::-1], expected.shape[1::-1])
    height, width = expected.shape[:2]
    compared = numpy.ones((height, width), dtype=bool)
    if depth == 32 and not keeps_alpha:
        compared = source_alpha(source, width, height) != 0
    for y, first, last in painted_runs(width, height):
        expected[y, first:last + 1] = 0
        compared[y, first:last + 1] = True
    if depth == 16:
        # The reader keeps five bits of every channel, green included, and tools widen
        # them to eight bits in their own ways: compare the top five.
        expected, actual = expected >> 3, actual >> 3
    wrong = int(numpy.count_nonzero(numpy.any(expected != actual, axis=2) & compared))
    return None if wrong == 0 else "%d pixels differ" % wrong


def source_alpha(source, width, height):
    """The fourth byte of each pixel of a bottom-up 32-bit file, top row first."""
    import numpy

    with open(source, "rb") as f:
        data = f.read()
    offset = int.from_bytes(data[10:14], "little")
    rows = numpy.frombuffer(data, dtype=numpy.uint8, count=width * height * 4, offset=offset)
    return rows.reshape(height, width, 4)[::-1, :, 3]


def machine_description():
    model = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    memory = os.sysconf("SC_PAGE_SIZE") * os.sysconf("SC_PHYS_PAGES") / 2**30
    return "%s, %d cores, %.0f GiB RAM, %s" % (model, os.cpu_count(), memory, platform.platform())


def load_average():
    return "%.1f %.1f %.1f" % os.getloadavg()


def make_inputs(build, work, inputs):
    paths = []
    for depth, width, height in inputs:
        path = os.path.join(work, "in-%d-%dx%d.bmp" % (depth, width, height))
        if not os.path.exists(path):
            print("generating %s" % os.path.basename(path), flush=True)
            subprocess.run([os.path.join(build, "bmpgen"), str(depth), str(width), str(height),
                            path], check=True)
        paths.append((depth, width, height, path))
    return paths


def bench_one(depth, width, height, source, build, work, rounds, tools):
    """Times every tool on one input; returns {tool: (times, peak memory, check result)}."""
    outputs = {tool: os.path.join(work, "out-%s-%d.bmp" % (tool, depth)) for tool in tools}
    times = {tool: [] for tool in tools}
    memory = {tool: 0 for tool in tools}
    # Round 0 warms the page cache and the tools' own files; it is not counted.
    for round_number in range(rounds + 1):
        shift = round_number % len(tools)
        for tool in tools[shift:] + tools[:shift]:
            target = outputs[tool]
            if os.path.exists(target):
                os.remove(target)  # every tool writes a new file, none truncates an old one
            command, env = commands(tool, source, target, build)
            seconds, peak = run_measured(command, env, os.path.join(work, "measure"))
            if round_number > 0:
                times[tool].append(seconds)
                memory[tool] = max(memory[tool], peak)
    checks = {}
    for tool in tools:
        if tool == "cp":
            continue
        checks[tool] = check_output(source, outputs[tool], depth,
                                    tool in KEEP_ALPHA or tool in VARIANTS)
        if tool != "bmpcorners" or checks[tool] is not None:
            os.remove(outputs[tool])
    return times, memory, checks, outputs["bmpcorners"]


def median_ratio(numerator, denominator):
    return statistics.median(a / b for a, b in zip(numerator, denominator))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build/bench", help="folder with bmpcorners and bmpgen")
    parser.add_argument("--work", default="build/bench/run", help="folder for inputs and outputs")
    parser.add_argument("--rounds", type=int, default=5, help="counted rounds per input")
    parser.add_argument("--depths", default="24,32,8,4,1,16", help="inputs to run, by depth")
    parser.add_argument("--scale", type=int, default=1,
                        help="divide every picture's width and height by this (quick runs)")
    parser.add_argument("--no-peers", action="store_true", help="bmpcorners and cp only")
    parser.add_argument("--also", action="append", default=[], metavar="NAME=PATH",
                        help="another bmpcorners binary to time and check beside this build's")
    args = parser.parse_args()
    for entry in args.also:
        name, _, path = entry.partition("=")
        VARIANTS[name] = os.path.abspath(path)

    os.makedirs(args.work, exist_ok=True)
    wanted = [int(d) for d in args.depths.split(",")]
    inputs = [(d, max(1, w // args.scale), max(1, h // args.scale))
              for d, w, h in INPUTS if d in wanted]
    inputs.sort(key=lambda entry: wanted.index(entry[0]))
    tools = ["bmpcorners", "cp"] + list(VARIANTS) + ([] if args.no_peers else list(PEERS))

    started = datetime.datetime.now()
    print("machine: %s" % machine_description())
    print("date: %s; load average at start: %s" % (started.strftime("%Y-%m-%d %H:%M"),
                                                   load_average()), flush=True)
    sources = make_inputs(args.build, args.work, inputs)

    rows = []
    failures = []
    for depth, width, height, source in sources:
        print("running %d-bit %d x %d" % (depth, width, height), flush=True)
        times, memory, checks, _ = bench_one(depth, width, height, source, args.build, args.work,
                                             args.rounds, tools)
        peers = [tool for tool in tools if tool in PEERS]
        fastest = min(peers, key=lambda t: statistics.median(times[t])) if peers else None
        grid = width * height * 4
        for tool in tools:
            check = checks.get(tool)
            rows.append({
                "input": "%d-bit %d x %d (%d MiB)" % (depth, width, height,
                                                     os.path.getsize(source) // 2**20),
                "tool": tool,
                "median": statistics.median(times[tool]),
                "memory": memory[tool],
                "grid": grid,
                "cp": median_ratio(times[tool], times["cp"]),
                "peer": median_ratio(times[tool], times[fastest]) if fastest else None,
                "check": "n/a" if tool == "cp" else ("ok" if check is None else check),
            })
            if check is not None and tool != "cp":
                failures.append("%s at %d bits: %s" % (tool, depth, check))
        ours = rows[-len(tools)]
        if fastest:
            ours["fastest"] = fastest

    print()
    print("Corner job, median of %d interleaved rounds; ratios are medians of per-round ratios."
          % args.rounds)
    print("Load average at the end: %s" % load_average())
    print()
    header = ("input", "tool", "median s", "peak MiB", "x cp", "x fastest peer", "output")
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join("---" for _ in header) + "|")
    for row in rows:
        print("| %s | %s | %.3f | %.0f | %.2f | %s | %s |" % (
            row["input"], row["tool"], row["median"], row["memory"] / 2**20, row["cp"],
            "%.2f" % row["peer"] if row["peer"] is not None else "-", row["check"]))
    print()
    print("Targets for bmpcorners: at least 2 x as fast as the fastest peer; at most 2 x the")
    print("time of cp at 24 and 32 bits; peak memory at most 10 % over the pixel grid.")
    verdict = {True: "met", False: "missed"}
    for row in rows:
        if row["tool"] != "bmpcorners":
            continue
        depth = int(row["input"].split("-")[0])
        parts = []
        if row.get("fastest"):
            speedup = 1 / row["peer"]
            parts.append("%.2f x as fast as %s (%s)" % (speedup, row["fastest"],
                                                         verdict[speedup >= 2]))
        cp_part = "%.2f x cp" % row["cp"]
        if depth in (24, 32):
            cp_part += " (%s)" % verdict[row["cp"] <= 2]
        parts.append(cp_part)
        over = 100 * (row["memory"] / row["grid"] - 1)
        parts.append("peak memory %.1f %% over the grid (%s)" % (over, verdict[over <= 10]))
        print("%s: %s" % (row["input"], "; ".join(parts)))
    if failures:
        print("\nWRONG OUTPUT:\n  " + "\n  ".join(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
