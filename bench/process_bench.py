#!/usr/bin/env python3
"""Whole-process timings of the command line against /bin/true, taken in the same run.

Times `ombrixdc --version` and the offline learning run of the shared example (a bore of
radius 8 replayed from its raw scan files, data sets saved). The three commands take turns,
ROUNDS times each, so that a change of the machine's load touches them alike; the medians and
their ratios to /bin/true are printed.

    bench/process_bench.py [OMBRIXDC] [ROUNDS]    (defaults: build-bench/bin/ombrixdc, 200)

Two figures per command: the CPU time the process used (user and system, from wait4: loading
and relocating its libraries, the run itself, its exit), which a shared machine's load hardly
changes, and the wall time from spawn to exit, which it does. The run directory is restored
between learning runs, outside the timed part.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
EXAMPLE = SOURCE / "tests" / "procedures" / "data" / "offline-learning"
SETTINGS = SOURCE / "tests" / "tools" / "data" / "settings.ini"
LEARNING = ["run", "--ini", "settings.ini", "--offline", "--set", "Learning=1",
            "--set", "FeatureRadius=8", "--set", "TipRadius=1.5", "--set", "ScanDeflection=0.3",
            "--set", "SlowSpeed=5", "--set", "ModeParameter=30", "--set", "MaxScanSpeed=100",
            "--set", "FilterNumber=20", "--set", "FilterMethod=1",
            "--set", "HeaderInfo1=Example", "--save", "results"]


def fresh_run_directory(work):
    shutil.rmtree(work / "work", ignore_errors=True)
    shutil.copytree(EXAMPLE, work / "work" / "Default")


def timed(argv):
    """(CPU seconds, wall seconds) of one run of argv, its output discarded; a nonzero exit
    status ends the benchmark."""
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        pid = os.posix_spawn(argv[0], argv, os.environ,
                             file_actions=[(os.POSIX_SPAWN_DUP2, null.fileno(), 1)])
        _, status, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(argv)} exited with status {os.waitstatus_to_exitcode(status)}")
    return usage.ru_utime + usage.ru_stime, wall


def main():
    ombrixdc = Path(sys.argv[1] if len(sys.argv) > 1 else SOURCE / "build-bench/bin/ombrixdc")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    if not os.access(ombrixdc, os.X_OK):
        sys.exit(f"no ombrixdc at {ombrixdc} (make bench-process builds it)")
    ombrixdc = str(ombrixdc.resolve())
    with tempfile.TemporaryDirectory() as folder:
        work = Path(folder)
        shutil.copy(SETTINGS, work / "settings.ini")
        os.chdir(work)
        # The learning run must succeed and write its map before it is timed.
        fresh_run_directory(work)
        subprocess.run([ombrixdc] + LEARNING, check=True, stdout=subprocess.DEVNULL)
        if not (work / "work" / "Default" / "_circle1.rsm").is_file():
            sys.exit("the learning run wrote no map")

        commands = {"/bin/true": ["/bin/true"],
                    "ombrixdc --version": [ombrixdc, "--version"],
                    "ombrixdc run --offline (learning)": [ombrixdc] + LEARNING}
        times = {name: [] for name in commands}
        for _ in range(rounds):
            for name, argv in commands.items():
                if argv[-1] == "results":
                    fresh_run_directory(work)
                times[name].append(timed(argv))

    load = " ".join(Path("/proc/loadavg").read_text().split()[:3])
    print(f"Whole processes, median of {rounds} rounds each "
          f"({os.cpu_count()} cores, load average {load})")
    print(f"{'command':<36} {'CPU (ms)':>9} {'/ true':>7} {'wall (ms)':>10} {'/ true':>7}")
    cpu_true = statistics.median(t[0] for t in times["/bin/true"])
    wall_true = statistics.median(t[1] for t in times["/bin/true"])
    for name, samples in times.items():
        cpu = statistics.median(t[0] for t in samples)
        wall = statistics.median(t[1] for t in samples)
        print(f"{name:<36} {cpu * 1e3:9.3f} {cpu / cpu_true:7.2f} "
              f"{wall * 1e3:10.3f} {wall / wall_true:7.2f}")


if __name__ == "__main__":
    main()
