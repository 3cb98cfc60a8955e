#!/usr/bin/env python3
"""Measures the game against baselines run alongside it on the same machine and
writes the figures into docs/performance.md with a plot, docs/performance.svg.

  bench/run.py [--build-dir DIR] [--wait-quiet MINUTES] [--quick] [--no-doc]

- Start-up: `tavik </dev/null` under the test interposer (pauses return at
  once) against bench/six_lines.c, a C program that writes the same six
  introduction lines: time to the first byte on standard output, time to exit,
  peak resident memory.
- Long lines: a line of ASCII capitals and one of mixed Cyrillic, Greek and
  Latin capitals, which the game reads, lower-cases and rejects before it meets
  the end of input, against python3 reading, decoding and lower-casing the same
  line: time, peak memory, and time against line length (the plot).
- Pauses: the game without the interposer, with a round played ("rock", then
  "no"); the five pauses of the introduction and the seven of a round, timed
  between the lines that frame them.

Each figure is the median of repeated runs, the program and its baseline
alternating. Peak memory is the program's VmHWM read at its exit under ptrace
(bench/launch.c): the ru_maxrss of a child also counts what the child had
resident before exec, a copy of its parent.

Only the Python standard library is used; the C helpers are built with cc -O2.
"""

import argparse
import datetime
import math
import mmap
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(REPO, "bench")
DOC = os.path.join(REPO, "docs", "performance.md")
PLOT = os.path.join(REPO, "docs", "performance.svg")

MIB = 1024 * 1024
KIB = 1024

# The python3 baseline for a long line, as it stands in the goal.
PYTHON_LOWER = ('import sys; sys.stdin.buffer.readline()'
                '.decode("utf-8", "surrogateescape").lower()')

# Goals.
STARTUP_TIME_GOAL = 1.2         # at most, against the C program
STARTUP_MEMORY_GOAL = 1.25      # at most, against the C program
SPEEDUP_GOAL = {"ascii": 3.0, "mixed": 2.0}  # at least, against python3
LINEAR_GOAL = (4 * 0.8, 4 * 1.2)  # time(64 MiB) / time(16 MiB)
PAUSE_SLACK_MS = 1.0            # per pause, at most
QUIET_LOAD = 0.5                # one-minute load average

# Markers that enclose what this script writes in docs/performance.md.
BEGIN = "<!-- bench/run.py writes from here -->"
END = "<!-- bench/run.py writes up to here -->"

# Lines of the game that frame the pauses.
MADE_CHOICE = b"[#] I've made my choice! Now let's play!"
GLOAT = b"[#] I win!"
PLAY_AGAIN = b"[?] Do you want to play again? (yes/no)"
INVALID = b"Invalid choice. Please choose rock, paper, or scissors."
PAUSE_MARKER = re.compile(rb"^<pause [^>]*>$")


def log(*parts):
    print(*parts, file=sys.stderr, flush=True)


def run(command, **options):
    return subprocess.run(command, check=True, **options)


def loadAverage():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def waitQuiet(minutes):
    """Waits up to `minutes` for a one-minute load below QUIET_LOAD; returns
    whether it came."""
    deadline = time.monotonic() + minutes * 60
    while True:
        load = loadAverage()
        if load < QUIET_LOAD:
            return True
        if time.monotonic() >= deadline:
            return False
        log(f"load {load:.2f}, waiting for it to fall below {QUIET_LOAD}")
        time.sleep(30)


# ---- building ---------------------------------------------------------------

def cacheValue(buildDir, name):
    with open(os.path.join(buildDir, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith(name + ":"):
                return line.split("=", 1)[1].strip()
    return ""


def build(buildDir):
    if not os.path.exists(os.path.join(buildDir, "CMakeCache.txt")):
        run(["cmake", "-S", REPO, "-B", buildDir], stdout=subprocess.DEVNULL)
    run(["cmake", "--build", buildDir, "-j2", "--target", "tavik", "tavik_interpose"],
        stdout=subprocess.DEVNULL)
    game = os.path.join(buildDir, "tavik")
    interposer = os.path.join(buildDir, "tests", "libtavik_interpose.so")
    launcher = os.path.join(buildDir, "bench-launch")
    run(["cc", "-O2", "-o", launcher, os.path.join(BENCH, "launch.c")])
    return game, interposer, launcher


def introduction(game, interposer):
    """The game's six introduction lines, from its own output."""
    result = subprocess.run([game], stdin=subprocess.DEVNULL, capture_output=True,
                            env=dict(os.environ, LD_PRELOAD=interposer))
    lines = [line for line in result.stdout.split(b"\n") if not PAUSE_MARKER.match(line)]
    return lines[:6]


def cLiteral(text):
    out = '"'
    for byte in text:
        ch = chr(byte)
        if ch in '"\\':
            out += "\\" + ch
        elif 0x20 <= byte < 0x7F:
            out += ch
        else:
            out += f'\\{byte:03o}'
    return out + '"'


def buildBaseline(buildDir, lines):
    baseline = os.path.join(buildDir, "bench-six-lines")
    run(["cc", "-O2", "-DSIX_LINES=" + ",".join(cLiteral(line) for line in lines),
         "-o", baseline, os.path.join(BENCH, "six_lines.c")])
    if run([baseline], capture_output=True).stdout != b"".join(line + b"\n" for line in lines):
        raise SystemExit("the C baseline does not write the game's six introduction lines")
    return baseline


# ---- running ----------------------------------------------------------------

class Runner:
    def __init__(self, launcher, interposer):
        self.launcher = launcher
        self.interposer = interposer

    def launch(self, command, stdin, runs=1, memory=False, preload=False):
        """Runs `command` `runs` times through the launcher; one dict per run."""
        arguments = [self.launcher, "-n", str(runs)]
        if memory:
            arguments.append("-m")
        if preload:
            arguments += ["-E", "LD_PRELOAD=" + self.interposer]
        arguments += [stdin, "--"] + command
        output = run(arguments, capture_output=True).stdout.decode()
        results = []
        for line in output.splitlines():
            first, exited, status, maxrss, hwm, written, faults = (int(x) for x in line.split())
            results.append({"first": first, "exit": exited, "status": status,
                            "maxrss": maxrss, "hwm": hwm, "written": written, "faults": faults})
        return results


def exitCode(status):
    return status >> 8 if status & 0x7F == 0 else -1


def expectStatus(results, code, what):
    for result in results:
        if exitCode(result["status"]) != code:
            raise SystemExit(f"{what}: wait status {result['status']}, expected exit code {code}")


def median(values):
    return statistics.median(values)


# ---- start-up ---------------------------------------------------------------

def measureStartup(runner, game, baseline, runs, batch):
    log(f"start-up: {runs} runs of each program")
    times = {"game": [], "baseline": [], "plain": []}
    commands = {
        # The C program runs with the same preloaded library as the game, and
        # once more without it, to show what the library itself costs.
        "game": ([game], True),
        "baseline": ([baseline], True),
        "plain": ([baseline], False),
    }
    done = 0
    while done < runs:
        count = min(batch, runs - done)
        for name, (command, preload) in commands.items():
            results = runner.launch(command, os.devnull, runs=count, preload=preload)
            expectStatus(results, 1 if name == "game" else 0, name)
            times[name] += results
        done += count
    memory = {name: [] for name in commands}
    memoryRuns = max(10, runs // 2)
    for _ in range(0, memoryRuns, batch):
        for name, (command, preload) in commands.items():
            results = runner.launch(command, os.devnull, runs=batch, memory=True,
                                    preload=preload)
            memory[name] += [r["hwm"] for r in results]
    figures = {}
    for name, results in times.items():
        figures[name] = {
            "first": median(r["first"] for r in results) / 1e6,
            "exit": median(r["exit"] for r in results) / 1e6,
            "firstMin": min(r["first"] for r in results) / 1e6,
            "exitMin": min(r["exit"] for r in results) / 1e6,
            "hwm": median(memory[name]),
            "hwmRange": (min(memory[name]), max(memory[name])),
        }
    figures["runs"] = runs
    figures["memoryRuns"] = len(memory["game"])
    return figures


# ---- long lines -------------------------------------------------------------

def mixedPattern():
    """Cyrillic, Greek and Latin capitals, one of each in turn."""
    cyrillic = [chr(c) for c in range(0x0410, 0x0430)]                  # А .. Я
    greek = [chr(c) for c in range(0x0391, 0x03AA) if c != 0x03A2]      # Α .. Ω
    latin = [chr(c) for c in range(ord("A"), ord("Z") + 1)]
    count = len(cyrillic) * len(greek) * len(latin)
    return "".join(cyrillic[i % len(cyrillic)] + greek[i % len(greek)] + latin[i % len(latin)]
                   for i in range(count))


def writeLine(path, kind, size):
    """A line of `size` bytes and its line feed."""
    if kind == "ascii":
        body = b"A" * size
    else:
        pattern = mixedPattern().encode()
        whole, rest = divmod(size, len(pattern))
        tail = bytearray()
        for ch in mixedPattern():
            encoded = ch.encode()
            if len(tail) + len(encoded) > rest:
                break
            tail += encoded
        tail += b"Z" * (rest - len(tail))
        body = pattern * whole + bytes(tail)
    assert len(body) == size
    with open(path, "wb") as f:
        f.write(body)
        f.write(b"\n")


def checkRejects(game, interposer, path):
    """The game must read the whole line, reject it and meet the end of input."""
    result = subprocess.run([game], stdin=open(path, "rb"), capture_output=True,
                            env=dict(os.environ, LD_PRELOAD=interposer))
    if result.returncode != 1 or INVALID not in result.stdout:
        raise SystemExit(f"the game did not reject the line in {path}")


def measureLines(runner, game, python, work, sizes, keySizes, runs, plotRuns):
    """Per (kind, size): median times and page faults, peak memory at the key
    sizes, and the ratios of runs made back to back: python3 against the game
    (`speedup`) and the game at the largest key size against the smallest
    (`growth`). Every size is run in each round, so that a change in the
    machine's pace during the measurement falls on all of them alike."""
    results = {}
    small, large = min(keySizes), max(keySizes)
    for kind in ("ascii", "mixed"):
        paths = {}
        for size in sizes:
            paths[size] = os.path.join(work, f"{kind}-{size // MIB}MiB.txt")
            writeLine(paths[size], kind, size)
        checkRejects(game, runner.interposer, paths[sizes[0]])
        runsOf = {size: ([], []) for size in sizes}
        for round in range(runs):
            log(f"long lines: {kind}, round {round + 1} of {runs}")
            for size in sizes:
                if size not in keySizes and round >= plotRuns:
                    continue
                g = runner.launch([game], paths[size], preload=True)
                expectStatus(g, 1, "game")
                p = runner.launch([python, "-c", PYTHON_LOWER], paths[size])
                expectStatus(p, 0, "python3")
                runsOf[size][0].append(g[0])
                runsOf[size][1].append(p[0])
        for size in sizes:
            gameRuns, pythonRuns = runsOf[size]
            gameTimes = [r["exit"] / 1e9 for r in gameRuns]
            pythonTimes = [r["exit"] / 1e9 for r in pythonRuns]
            entry = {"game": median(gameTimes), "python": median(pythonTimes),
                     "gameRange": (min(gameTimes), max(gameTimes)),
                     "speedup": median(p / g for g, p in zip(gameTimes, pythonTimes)),
                     "gameFaults": median(r["faults"] for r in gameRuns),
                     "pythonFaults": median(r["faults"] for r in pythonRuns)}
            if size in keySizes:
                g = runner.launch([game], paths[size], runs=3, memory=True, preload=True)
                p = runner.launch([python, "-c", PYTHON_LOWER], paths[size], runs=1,
                                  memory=True)
                entry["gameHwm"] = max(r["hwm"] for r in g)
                entry["pythonHwm"] = p[0]["hwm"]
            results[(kind, size)] = entry
        results[(kind, "growth")] = median(
            b["exit"] / a["exit"] for a, b in zip(runsOf[small][0], runsOf[large][0]))
        for path in paths.values():
            os.remove(path)
    results["runs"] = runs
    return results


# ---- pauses -----------------------------------------------------------------

def timedLines(game, answers):
    """Runs the game without the interposer; each output line with the time its
    line feed arrived."""
    process = subprocess.Popen([game], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, bufsize=0)
    process.stdin.write(answers)
    process.stdin.close()
    lines = []
    pending = b""
    fd = process.stdout.fileno()
    while True:
        chunk = os.read(fd, 65536)
        arrived = time.monotonic_ns()
        if not chunk:
            break
        pending += chunk
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            lines.append((line, arrived))
    if process.wait() != 0:
        raise SystemExit(f"the game ended with exit code {process.returncode} in a played round")
    return lines


def lineTime(lines, text):
    for line, arrived in lines:
        # Prompts have no line feed of their own and lead the next line.
        if line.endswith(text):
            return arrived
    raise SystemExit(f"no line {text!r} in the game's output")


def measurePauses(game, runs):
    log(f"pauses: {runs} played rounds with real pauses, 14 s each")
    intro, round7, round9 = [], [], []
    for _ in range(runs):
        lines = timedLines(game, b"rock\nno\n")
        textLines = [line for line, _ in lines]
        first, sixth = lines[0][1], lines[5][1]
        if not textLines[0].startswith(b"[#] Hi!") or not textLines[5].startswith(b"[#] Still"):
            raise SystemExit("unexpected introduction")
        intro.append((sixth - first) / 1e6)
        chosen = lineTime(lines, MADE_CHOICE)
        round7.append((lineTime(lines, GLOAT) - chosen) / 1e6)
        round9.append((lineTime(lines, PLAY_AGAIN) - chosen) / 1e6)
    return {"intro": intro, "round": round7, "roundWithOutcome": round9}


# ---- the machine ------------------------------------------------------------

def firstTouch(size=64 * MIB):
    """Milliseconds to write one byte into each 4 KiB page of `size` bytes of
    fresh memory, and again into the same pages: what a page fault costs here."""
    area = mmap.mmap(-1, size)
    times = []
    for _ in range(2):
        start = time.perf_counter()
        for offset in range(0, size, 4096):
            area[offset] = 1
        times.append((time.perf_counter() - start) * 1e3)
    area.close()
    return times


def firstLine(command):
    try:
        output = subprocess.run(command, capture_output=True, text=True).stdout
        return output.splitlines()[0].strip() if output else "?"
    except OSError:
        return "?"


def buildFlags(buildDir):
    """The game's compile flags, warnings left out, and its link options."""
    flags = []
    try:
        with open(os.path.join(buildDir, "CMakeFiles", "tavik_core.dir", "flags.make")) as f:
            for line in f:
                if line.startswith("CXX_FLAGS"):
                    flags = [flag for flag in line.split("=", 1)[1].split()
                             if not flag.startswith("-W")]
        with open(os.path.join(buildDir, "CMakeFiles", "tavik.dir", "link.txt")) as f:
            flags += [flag for flag in f.read().split() if flag.startswith("-static")]
    except OSError:
        return "?"
    return "`" + " ".join(flags) + "`"


def machine(buildDir, python, touch):
    cpu = "?"
    family = model = ""
    virtual = False
    with open("/proc/cpuinfo") as f:
        for line in f:
            key, _, value = line.partition(":")
            key, value = key.strip(), value.strip()
            if key == "model name" and cpu == "?":
                cpu = value
            elif key == "cpu family" and not family:
                family = value
            elif key == "model" and not model:
                model = value
            elif key == "flags" and "hypervisor" in value.split():
                virtual = True
    memory = "?"
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                memory = f"{int(line.split()[1]) / MIB:.1f} GiB"
    system = platform.platform()
    try:
        with open("/etc/os-release") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    system = line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    cxx = cacheValue(buildDir, "CMAKE_CXX_COMPILER")
    return {
        "cpu": f"{cpu} (family {family}, model {model})" + (", virtual machine" if virtual else ""),
        "cores": f"{os.cpu_count()} logical",
        "memory": memory,
        "os": f"{system}, Linux {platform.release()}",
        "libc": " ".join(os.confstr("CS_GNU_LIBC_VERSION").split()) if hasattr(os, "confstr") else "?",
        "cxx": firstLine([cxx, "--version"]) if cxx else "?",
        "cc": firstLine(["cc", "--version"]),
        "buildType": buildFlags(buildDir),
        "python": f"{python} (Python {firstLine([python, '--version']).split()[-1]})",
        "cmake": firstLine(["cmake", "--version"]),
        "touch": f"{touch[0]:.0f} ms to touch each page of 64 MiB of fresh memory once "
                 f"({touch[0] * 1e3 / (64 * MIB / 4096):.1f} µs a page), {touch[1]:.1f} ms "
                 "to touch them again",
    }


# ---- the plot ---------------------------------------------------------------

def plot(lines, sizes, path):
    """Time against line length, game and python3, both kinds of line."""
    width, height = 640, 400
    left, right, top, bottom = 70, 170, 30, 50
    plotW, plotH = width - left - right, height - top - bottom
    xMax = sizes[-1] / MIB
    yTop = max(max(lines[(kind, s)]["game"], lines[(kind, s)]["python"])
               for kind in ("ascii", "mixed") for s in sizes)
    step = niceStep(yTop / 5)
    yMax = step * (int(yTop / step) + 1)

    def x(mib):
        return left + plotW * mib / xMax

    def y(seconds):
        return top + plotH * (1 - seconds / yMax)

    series = [
        ("tavik, ASCII", "game", "ascii", "#1f5fa8", ""),
        ("tavik, mixed", "game", "mixed", "#1f5fa8", "6,4"),
        ("python3, ASCII", "python", "ascii", "#c0392b", ""),
        ("python3, mixed", "python", "mixed", "#c0392b", "6,4"),
    ]
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
           f'viewBox="0 0 {width} {height}" font-family="sans-serif" font-size="12">',
           f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<text x="{left + plotW / 2}" y="18" text-anchor="middle" font-size="14">'
           'Read, lower-case and reject one line</text>']
    # Axes, grid and ticks.
    for i in range(int(round(yMax / step)) + 1):
        value = i * step
        out.append(f'<line x1="{left}" y1="{y(value):.1f}" x2="{left + plotW}" y2="{y(value):.1f}" '
                   'stroke="#ddd"/>')
        out.append(f'<text x="{left - 6}" y="{y(value) + 4:.1f}" text-anchor="end">'
                   f'{value:g}</text>')
    xStep = xMax / 8
    for i in range(int(round(xMax / xStep)) + 1):
        mib = i * xStep
        out.append(f'<line x1="{x(mib):.1f}" y1="{top + plotH}" x2="{x(mib):.1f}" '
                   f'y2="{top + plotH + 4}" stroke="black"/>')
        out.append(f'<text x="{x(mib):.1f}" y="{top + plotH + 18}" text-anchor="middle">'
                   f'{mib:g}</text>')
    out.append(f'<line x1="{left}" y1="{top + plotH}" x2="{left + plotW}" y2="{top + plotH}" '
               'stroke="black"/>')
    out.append(f'<line x1="{left}" y1="{top}" x2="{left}" y2="{top + plotH}" stroke="black"/>')
    out.append(f'<text x="{left + plotW / 2}" y="{height - 10}" text-anchor="middle">'
               'line length (MiB)</text>')
    out.append(f'<text x="16" y="{top + plotH / 2}" text-anchor="middle" '
               f'transform="rotate(-90 16 {top + plotH / 2})">time to exit (s, median)</text>')
    # Series and legend.
    for index, (label, program, kind, colour, dash) in enumerate(series):
        points = " ".join(f"{x(s / MIB):.1f},{y(lines[(kind, s)][program]):.1f}" for s in sizes)
        dashing = f' stroke-dasharray="{dash}"' if dash else ""
        out.append(f'<polyline points="{points}" fill="none" stroke="{colour}" '
                   f'stroke-width="2"{dashing}/>')
        for s in sizes:
            out.append(f'<circle cx="{x(s / MIB):.1f}" cy="{y(lines[(kind, s)][program]):.1f}" '
                       f'r="3" fill="{colour}"/>')
        ly = top + 20 + 22 * index
        lx = left + plotW + 15
        out.append(f'<line x1="{lx}" y1="{ly}" x2="{lx + 30}" y2="{ly}" stroke="{colour}" '
                   f'stroke-width="2"{dashing}/>')
        out.append(f'<text x="{lx + 36}" y="{ly + 4}">{label}</text>')
    out.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def niceStep(raw):
    """The smallest of 1, 2, 2.5, 5 and 10 times a power of ten that is not below raw."""
    magnitude = 10 ** math.floor(math.log10(raw))
    for factor in (1, 2, 2.5, 5, 10):
        if raw <= factor * magnitude:
            return factor * magnitude
    return 10 * magnitude


# ---- docs/performance.md ----------------------------------------------------

def verdict(met):
    return "met" if met else "**missed**"


def report(args, info, loads, quiet, startup, lines, pauses, sizes):
    g, b, plain = startup["game"], startup["baseline"], startup["plain"]
    out = []
    add = out.append
    add(f"Measured on {datetime.date.today().isoformat()} with")
    add("")
    add("    " + " ".join(["bench/run.py"] + args))
    add("")
    add("| machine | |")
    add("|---|---|")
    for label, key in (("CPU", "cpu"), ("cores", "cores"), ("memory", "memory"), ("system", "os"),
                       ("C library", "libc"), ("C++ compiler (the game)", "cxx"),
                       ("the game's flags", "buildType"), ("C compiler (baseline, launcher)", "cc"),
                       ("python3 (baseline, this script)", "python"), ("CMake", "cmake"),
                       ("page faults", "touch")):
        add(f"| {label} | {info[key]} |")
    add("")
    quietText = ("quiet" if quiet else
                 f"**not quiet**: the one-minute load did not fall below {QUIET_LOAD} in the "
                 "time allowed, so other work shared the two cores and the figures are noisier")
    add(f"One-minute load average {loads[0]:.2f} before the runs and {loads[1]:.2f} after "
        f"({quietText}).")
    add("")

    add("### Start-up")
    add("")
    add(f"`tavik </dev/null` with the interposer: the introduction (five pause markers in place "
        f"of the pauses), the move request and the prompt, then the end of input (exit code 1). "
        f"The baseline, bench/six_lines.c, writes the six introduction lines, flushing each, "
        f"and exits; it runs with the same preloaded library. Times: median of "
        f"{startup['runs']} runs each, timed from just before fork. Memory: median of "
        f"{startup['memoryRuns']} further runs each, the peak resident set (VmHWM) read at "
        f"exit. The programs alternate in batches of 20.")
    add("")
    add("| figure | tavik | C program | ratio | goal | |")
    add("|---|---|---|---|---|---|")
    for label, key in (("first byte", "first"), ("exit", "exit")):
        ratio = g[key] / b[key]
        add(f"| time to {label} | {g[key]:.3f} ms | {b[key]:.3f} ms | {ratio:.2f}× | "
            f"≤ {STARTUP_TIME_GOAL}× | {verdict(ratio <= STARTUP_TIME_GOAL)} |")
    ratio = g["hwm"] / b["hwm"]
    add(f"| peak resident memory | {g['hwm']:.0f} KiB | {b['hwm']:.0f} KiB | {ratio:.2f}× | "
        f"≤ {STARTUP_MEMORY_GOAL}× | {verdict(ratio <= STARTUP_MEMORY_GOAL)} |")
    add("")
    add(f"The peak resident memory of one and the same program varies from run to run: "
        f"{g['hwmRange'][0]}–{g['hwmRange'][1]} KiB for tavik, {b['hwmRange'][0]}–"
        f"{b['hwmRange'][1]} KiB for the C program. Most of it is pages of the C library and "
        "the loader, mapped from the page cache in groups around each page used.")
    add("")
    add(f"Fastest runs: tavik {g['firstMin']:.3f} ms to the first byte and {g['exitMin']:.3f} ms "
        f"to exit, the C program {b['firstMin']:.3f} ms and {b['exitMin']:.3f} ms. Without the "
        f"preloaded library the C program takes {plain['first']:.3f} ms to the first byte and "
        f"{plain['exit']:.3f} ms to exit, peak {plain['hwm']:.0f} KiB; against that, tavik's "
        f"ratios are {g['first'] / plain['first']:.2f}×, {g['exit'] / plain['exit']:.2f}× and "
        f"{g['hwm'] / plain['hwm']:.2f}×.")
    add("")

    add("### One long line")
    add("")
    add("The game reads the line, lower-cases it, rejects it, asks again and meets the end of "
        "input (exit code 1); pauses skipped by the interposer. The baseline on the same file:")
    add("")
    add(f"    python3 -c '{PYTHON_LOWER}'")
    add("")
    add("ASCII: capital A. Mixed: Cyrillic А–Я, Greek Α–Ω and Latin A–Z capitals in turn "
        f"(five bytes per three letters). Times are to exit, medians of {runsOfKey(lines)} runs; "
        "in each round every line length is run, the game and python3 back to back, and the "
        "speed-up is the median of the ratios of those pairs. Peak memory is VmHWM at exit.")
    add("")
    add("| line | tavik | python3 | speed-up | goal | | tavik peak | limit | |")
    add("|---|---|---|---|---|---|---|---|---|")
    for kind in ("ascii", "mixed"):
        for size in (16 * MIB, 64 * MIB):
            e = lines[(kind, size)]
            limit = (2 * size + 4 * MIB) / KIB
            goal = SPEEDUP_GOAL[kind]
            add(f"| {size // MIB} MiB {kindName(kind)} | {e['game']:.3f} s | {e['python']:.3f} s | "
                f"{e['speedup']:.2f}× | ≥ {goal:g}× | {verdict(e['speedup'] >= goal)} | "
                f"{e['gameHwm'] / KIB:.1f} MiB | {limit / KIB:.0f} MiB | "
                f"{verdict(e['gameHwm'] <= limit)} |")
    add("")
    add("| line | tavik, 64 MiB / 16 MiB | goal | | tavik's times at 64 MiB | python3 peak | "
        "page faults, tavik | page faults, python3 |")
    add("|---|---|---|---|---|---|---|---|")
    for kind in ("ascii", "mixed"):
        e = lines[(kind, 64 * MIB)]
        ratio = lines[(kind, "growth")]
        met = LINEAR_GOAL[0] <= ratio <= LINEAR_GOAL[1]
        small = lines[(kind, 16 * MIB)]
        add(f"| {kindName(kind)} | {ratio:.2f} | {LINEAR_GOAL[0]:.1f} to "
            f"{LINEAR_GOAL[1]:.1f} | {verdict(met)} | {e['gameRange'][0]:.3f}–"
            f"{e['gameRange'][1]:.3f} s | {e['pythonHwm'] / KIB:.1f} MiB | "
            f"{small['gameFaults']:.0f} at 16 MiB, {e['gameFaults']:.0f} at 64 MiB | "
            f"{e['pythonFaults']:.0f} at 64 MiB |")
    add("")
    add("The growth is the median ratio of runs made in the same round. Page faults are the "
        "minor faults of the whole run (ru_minflt): about one for each 4 KiB page of fresh "
        "memory written.")
    add("")
    add("Time against line length (medians):")
    add("")
    add("![time against line length](performance.svg)")
    add("")
    add("| MiB | " + " | ".join(f"{s // MIB}" for s in sizes) + " |")
    add("|---|" + "---|" * len(sizes))
    for kind in ("ascii", "mixed"):
        for program, name in (("game", "tavik"), ("python", "python3")):
            add(f"| {name}, {kindName(kind)} (s) | " +
                " | ".join(f"{lines[(kind, s)][program]:.3f}" for s in sizes) + " |")
    add("")

    add("### Pauses")
    add("")
    add("The game without the interposer, real pauses, a round played with `rock` and `no`. "
        "Each line is timed when its line feed reaches the reading end of the pipe. The "
        "introduction's five pauses lie between its first and sixth line; a round's seven lie "
        "between \"[#] I've made my choice! Now let's play!\" and \"[#] I win!\" (five countdown "
        "lines and two reveal lines, a pause after each); up to "
        "\"[?] Do you want to play again? (yes/no)\" there are nine, the gloat's and the taunt's "
        "included.")
    add("")
    add("| pauses | runs (ms) | worst | goal | |")
    add("|---|---|---|---|---|")
    for label, key, count in (("introduction, 5", "intro", 5), ("round, 7", "round", 7),
                              ("round with its outcome, 9", "roundWithOutcome", 9)):
        values = pauses[key]
        worst = max(values)
        low = min(values)
        goalText = f"{count * 1000} ms + ≤ {count * PAUSE_SLACK_MS:g} ms"
        met = low >= count * 1000 and worst <= count * (1000 + PAUSE_SLACK_MS)
        add(f"| {label} | " + ", ".join(f"{v:.2f}" for v in values) +
            f" | {worst:.2f} | {goalText} | {verdict(met)} |")
    add("")
    return "\n".join(out)


def runsOfKey(lines):
    return lines["runs"]


def kindName(kind):
    return "ASCII" if kind == "ascii" else "mixed"


def writeDoc(text):
    os.makedirs(os.path.dirname(DOC), exist_ok=True)
    generated = f"{BEGIN}\n{text}\n{END}"
    if os.path.exists(DOC):
        with open(DOC) as f:
            old = f.read()
        if BEGIN in old and END in old:
            head, rest = old.split(BEGIN, 1)
            tail = rest.split(END, 1)[1]
            with open(DOC, "w") as f:
                f.write(head + generated + tail)
            return
    with open(DOC, "w") as f:
        f.write("# Performance\n\n" + generated + "\n")


# ---- main -------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(tempfile.gettempdir(), "tavik-bench"),
                        help="CMake build directory for the game (configured when new)")
    parser.add_argument("--wait-quiet", type=float, default=0, metavar="MINUTES",
                        help=f"wait up to this long for a one-minute load below {QUIET_LOAD}")
    parser.add_argument("--quick", action="store_true", help="few runs, to try the script out")
    parser.add_argument("--no-doc", action="store_true",
                        help="print the figures instead of writing docs/")
    options = parser.parse_args()
    args = sys.argv[1:]

    python = sys.executable
    buildDir = os.path.abspath(options.build_dir)
    game, interposer, launcher = build(buildDir)
    baseline = buildBaseline(buildDir, introduction(game, interposer))
    runner = Runner(launcher, interposer)

    quiet = waitQuiet(options.wait_quiet)
    loadBefore = loadAverage()

    startupRuns = 40 if options.quick else 200
    startup = measureStartup(runner, game, baseline, startupRuns, 20)

    sizes = [s * MIB for s in (1, 2, 4, 8, 16, 32, 64)]
    keySizes = {16 * MIB, 64 * MIB}
    work = tempfile.mkdtemp(prefix="tavik-bench-")
    try:
        lines = measureLines(runner, game, python, work, sizes, keySizes,
                             runs=3 if options.quick else 7, plotRuns=1 if options.quick else 3)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    pauses = measurePauses(game, 1 if options.quick else 5)
    touch = firstTouch()
    loadAfter = loadAverage()

    text = report(args, machine(buildDir, python, touch), (loadBefore, loadAfter), quiet, startup,
                  lines, pauses, sizes)
    if options.no_doc:
        print(text)
        plot(lines, sizes, os.path.join(buildDir, "performance.svg"))
        log(f"plot: {os.path.join(buildDir, 'performance.svg')}")
    else:
        os.makedirs(os.path.dirname(PLOT), exist_ok=True)
        plot(lines, sizes, PLOT)
        writeDoc(text)
        log(f"wrote {os.path.relpath(DOC, REPO)} and {os.path.relpath(PLOT, REPO)}")


if __name__ == "__main__":
    main()
