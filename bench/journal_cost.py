#!/usr/bin/env python3
"""What the run journal costs: quelbo-batch on fresh copies of generated sites, with the
journal on and off in turn, round after round; then the journal's disk use.

  bench/journal_cost.py PROGRAM SITES_DIR [SITE...] [--runs N] [--work DIR]

SITES_DIR holds sites as gen_site.py writes them (site/ and config/ each); the copies are made
in --work (default: a folder beside SITES_DIR), so the journal lies on the site's file system.
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import time


def fresh_copy(sites, name, work, program):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    for part in ("site", "config"):
        subprocess.run(["cp", "-a", os.path.join(sites, name, part), work], check=True)
    shutil.copy2(program, os.path.join(work, "site"))


def cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run(work, *args):
    """Wall and CPU seconds of one quelbo-batch run."""
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    started, cpu = time.monotonic(), cpu_seconds()
    subprocess.run([os.path.join(work, "site", "quelbo-batch"), *args], cwd=work, env=env,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - started, cpu_seconds() - cpu


def disk_use(path):
    """Bytes of the blocks the files under `path` hold, each inode once."""
    seen, total = set(), 0
    for directory, _, names in os.walk(path):
        for name in names:
            st = os.lstat(os.path.join(directory, name))
            if st.st_ino not in seen:
                seen.add(st.st_ino)
                total += st.st_blocks * 512
    return total


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("program")
    parser.add_argument("sites")
    parser.add_argument("names", nargs="*", default=["large", "many"])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--work")
    args = parser.parse_args()
    work = args.work or os.path.join(os.path.dirname(os.path.abspath(args.sites)), "journal-work")
    for name in args.names:
        times = {"on": [], "off": []}
        cpu = {"on": [], "off": []}
        journal_bytes = 0
        for _ in range(args.runs):
            for mode in ("on", "off"):
                fresh_copy(args.sites, name, work, args.program)
                if mode == "off":
                    run(work, "--journal=off")
                wall, used = run(work)
                times[mode].append(wall)
                cpu[mode].append(used)
                if mode == "on":
                    journal_bytes = disk_use(os.path.join(work, "config"))
                    journal_bytes -= disk_use(os.path.join(args.sites, name, "config"))
        for label, values in (("wall", times), ("CPU", cpu)):
            on, off = statistics.median(values["on"]), statistics.median(values["off"])
            print(f"{name} {label}: journal on {on:.2f} s, off {off:.2f} s (medians of "
                  f"{args.runs}), ratio {on / off:.3f}; runs "
                  f"{' '.join(f'{t:.2f}' for t in values['on'])} / "
                  f"{' '.join(f'{t:.2f}' for t in values['off'])}")
        print(f"{name}: journal disk use {journal_bytes / 1e6:.1f} MB")
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
