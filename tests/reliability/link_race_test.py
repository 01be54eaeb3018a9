#!/usr/bin/env python3
"""Nothing outside the site is ever written, even when the site changes under a run.

Each round runs quelbo-batch on a fresh copy of a site while another thread swaps one of its
subdirectories, every millisecond or so, with a symbolic link to a folder outside the site that
holds pages of the same names (which the run's rules would change). The run may skip pages it
finds changed; the outside folder must come out byte for byte as it was, with no file added.

    python3 tests/reliability/link_race_test.py build/bin/quelbo-batch --rounds 100
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kill_test import make_config, make_site, snapshot  # noqa: E402

SWAPPED = "news"
HIDDEN = ".news-real"  # hidden names are never listed


class Swapper(threading.Thread):
    """Swaps site/news with a link to the outside folder and back until stopped."""

    def __init__(self, site, outside, seed):
        super().__init__(daemon=True)
        self.rng = random.Random(seed)
        self.site, self.outside = site, outside
        self.stop = threading.Event()
        self.swaps = 0

    def run(self):
        real, hidden = os.path.join(self.site, SWAPPED), os.path.join(self.site, HIDDEN)
        link = os.path.join(self.site, ".news-link")
        while not self.stop.is_set():
            os.rename(real, hidden)
            os.symlink(self.outside, link)
            os.rename(link, real)  # the link takes the directory's place in one step
            time.sleep(self.rng.uniform(0, 0.002))
            os.unlink(real)
            os.rename(hidden, real)
            time.sleep(self.rng.uniform(0, 0.002))
            self.swaps += 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    # Sized for the test command by default; --long gives the full count of the record.
    parser.add_argument("--long", action="store_true", help="100 rounds")
    parser.add_argument("--rounds", type=int)
    parser.add_argument("--pages", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if args.rounds is None:
        args.rounds = 100 if args.long else 10

    work = tempfile.mkdtemp(prefix="quelbo-race-")
    original, outside = os.path.join(work, "original"), os.path.join(work, "outside")
    site, config_home = os.path.join(work, "site"), os.path.join(work, "config")
    make_site(original, args.pages, random.Random(args.seed))
    shutil.copytree(os.path.join(original, SWAPPED), outside)
    before = snapshot(outside)
    make_config(config_home)
    env = dict(os.environ, XDG_CONFIG_HOME=config_home)

    outside_writes = swaps = skipped = 0
    try:
        for round_ in range(args.rounds):
            shutil.rmtree(site, ignore_errors=True)
            shutil.copytree(original, site)
            shutil.copy2(args.program, os.path.join(site, "quelbo-batch"))
            swapper = Swapper(site, outside, args.seed + round_)
            swapper.start()
            try:
                done = subprocess.run([os.path.join(site, "quelbo-batch")], env=env,
                                      capture_output=True, timeout=300)
            finally:
                swapper.stop.set()
                swapper.join()
            swaps += swapper.swaps
            skipped += done.stderr.count(b"skipped: ")
            after = snapshot(outside)
            writes = sorted(name for name in set(before) | set(after)
                            if before.get(name) != after.get(name))
            outside_writes += len(writes)
            if writes:
                print("round %d: %d outside writes: %s" % (round_, len(writes), writes[:5]))
                shutil.rmtree(outside)
                shutil.copytree(os.path.join(original, SWAPPED), outside)
            if done.returncode not in (0, 1):
                print("round %d: exit status %d\n%s" % (round_, done.returncode,
                                                        done.stderr.decode(errors="replace")))
                outside_writes += 1
    finally:
        shutil.rmtree(work)
    print("link race: %d rounds, %d swaps, %d pages skipped by the runs, %d outside writes"
          % (args.rounds, swaps, skipped, outside_writes))
    return 1 if outside_writes else 0


if __name__ == "__main__":
    sys.exit(main())
