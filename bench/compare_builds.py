#!/usr/bin/env python3
"""Times two builds of quelbo-batch against each other, the two I/O floors and sed -i.

For a change whose effect is smaller than the wandering of a shared machine: the tools run
back to back on fresh copies, round after round (each round starting one tool further along),
and every figure is the median of the rounds, in wall and CPU time, beside the medians of its
ratios to the floor and to the safe floor within each round. With --journal-off, the run journal is turned off in each fresh copy of the
configuration. With --window, the window (window_run of each build) is timed in pairs with
that build's quelbo-batch on the first site, as measure.py does.

  bench/compare_builds.py --sites build/bench/sites/full --work /dev/shm/quelbo-ab \\
      --before OLD_BIN_DIR --after build-bench/bin --runs 7 large many
"""

import argparse
import os
import resource
import shutil
import statistics
import sys
import time

sys.dont_write_bytecode = True
import measure  # noqa: E402


class Comparison(measure.Bench):
    def __init__(self, args):
        args.bin = args.after
        super().__init__(args)
        self.builds = {"before": os.path.abspath(args.before), "after": os.path.abspath(args.after)}

    def restore(self, name):
        super().restore(name)  # copies the "after" programs into the site root
        if self.args.journal_off:
            for directory, _, files in os.walk(os.path.join(self.work, "config")):
                for file in files:
                    if file.endswith(".ini"):
                        with open(os.path.join(directory, file), "ab") as f:
                            f.write("\r\n不记录撤销=1\r\n".encode("gbk"))
        for build, directory in self.builds.items():
            for program in ("quelbo-batch", "window_run"):
                source = os.path.join(directory, program)
                if os.path.exists(source):
                    shutil.copy2(source, os.path.join(self.work_site(), f"{program}.{build}"))

    def commands(self, tool, name):
        for build in self.builds:
            if tool == f"quelbo-batch {build}":
                return [[os.path.join(self.work_site(), f"quelbo-batch.{build}")]]
            if tool == f"window {build}":
                return [[os.path.join(self.work_site(), f"window_run.{build}")]]
        return super().commands(tool, name)

    def run_once(self, tool, name, prefix=()):
        """measure.Bench.run_once, also keeping the user CPU time of the tool apart (the page
        work; the system time is the file system's)."""
        self.restore(name)
        restored = self.restore
        self.restore = lambda _name: None  # already fresh: the copy is not timed
        before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_utime
        try:
            result = super().run_once(tool, name, prefix)
        finally:
            self.restore = restored
        user = resource.getrusage(resource.RUSAGE_CHILDREN).ru_utime - before
        self.results["runs"].get(name, {}).get(tool, {}).setdefault("user_seconds", []).append(user)
        return result

    def check_result(self, tool, name):
        super().check_result("quelbo-batch" if tool.startswith(("quelbo", "window")) else tool,
                             name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sites", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--before", required=True, help="directory of the old build's programs")
    parser.add_argument("--after", required=True, help="directory of the new build's programs")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--window", type=int, default=0, help="pairs of window and batch runs")
    parser.add_argument("--journal-off", action="store_true", help="turn the run journal off")
    parser.add_argument("names", nargs="+")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    bench = Comparison(args)
    try:
        print(bench.machine())
    except FileNotFoundError:  # measure.py also names sd's version
        pass
    tools = measure.FLOORS + ["quelbo-batch before", "quelbo-batch after", "sed -i"]
    plan = [(name, tool) for name in args.names for tool in tools]
    started = time.time()
    bench.time_all(plan, args.runs)
    print(f"{args.runs} rounds, medians, {(time.time() - started) / 60:.1f} min")
    print("| site | tool | median s | × floor | × safe floor | CPU s | CPU × floor | "
          "CPU × safe floor | user CPU s |")
    print("|---|---|---:|---:|---:|---:|---:|---:|---:|")
    for name in args.names:
        for tool in tools:
            wall = bench.median(name, tool)
            cpu = bench.median(name, tool, "cpu_seconds")
            user = bench.median(name, tool, "user_seconds")
            ratios = " | ".join(f"{bench.ratio(name, tool, base):.2f}" for base in measure.FLOORS)
            cpu_ratios = " | ".join(f"{bench.ratio(name, tool, base, 'cpu_seconds'):.2f}"
                                    for base in measure.FLOORS)
            print(f"| {name} | {tool} | {wall:.3f} | {ratios} | {cpu:.2f} | {cpu_ratios} | "
                  f"{user:.3f} |")
    for run in range(args.window):
        name = args.names[0]
        for build in bench.builds:
            order = [f"window {build}", f"quelbo-batch {build}"]
            for tool in order if run % 2 == 0 else order[::-1]:
                elapsed, _, _ = bench.run_once(tool, name)
                bench.results["runs"][name].setdefault(tool, {"seconds": []})["seconds"].append(
                    elapsed)
    if args.window:
        runs = bench.results["runs"][args.names[0]]
        for build in bench.builds:
            # The pairs were appended after the rounds: take the last `window` batch times.
            batch = runs[f"quelbo-batch {build}"]["seconds"][-args.window:]
            ratios = [w / b for w, b in zip(runs[f"window {build}"]["seconds"], batch)]
            print(f"window {build} / quelbo-batch {build} on {args.names[0]}: median of "
                  f"{len(ratios)} pairs {statistics.median(ratios):.2f} × "
                  f"(window {statistics.median(runs[f'window {build}']['seconds']):.3f} s)")
    shutil.rmtree(args.work, ignore_errors=True)


if __name__ == "__main__":
    main()
