#!/usr/bin/env python3
"""Power loss: a page reported written must survive a power cut, and none may be lost.

The site and the configuration live on an ext4 image mounted through a loop device with
noauto_da_alloc (so that nothing flushes a renamed file for us). A copy of the image taken
while it is still mounted holds what a power cut at that moment would leave on the disk: what
the program made durable, and whatever the kernel happened to write back. Each copy is
mounted (which replays the journal, as a reboot would) and checked:

- after a run that ended: every page holds its new bytes, and the settings the run saved;
- when cut in the middle (the program stopped with SIGSTOP, the image copied, then killed):
  every page holds its old bytes or its new bytes, never an empty or a mixed page.

Needs root and loop devices; says so and exits 77 (skipped) without them.

    sudo python3 tests/reliability/power_cut_test.py build/bin/quelbo-batch --cuts 20
"""

import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kill_test import CONFIG_NAME, make_config, make_site, snapshot  # noqa: E402

SKIPPED = 77


def sh(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


class Image:
    """An ext4 image mounted at a directory through a loop device."""

    def __init__(self, path, mount_point, size_mb=256):
        self.path, self.mount_point = path, mount_point
        with open(path, "wb") as f:
            f.truncate(size_mb << 20)
        sh("mkfs.ext4", "-q", "-F", path)
        os.makedirs(mount_point, exist_ok=True)
        sh("mount", "-o", "loop,noauto_da_alloc", path, mount_point)

    def cut(self, copy):
        """The disk as a power cut now would leave it: the image copied while mounted."""
        shutil.copyfile(self.path, copy)

    def close(self):
        sh("umount", self.mount_point)


def read_after_cut(copy, mount_point):
    """Every file of the copied image, after the journal is replayed as a reboot would."""
    os.makedirs(mount_point, exist_ok=True)
    sh("mount", "-o", "loop", copy, mount_point)
    try:
        return snapshot(mount_point)
    finally:
        sh("umount", mount_point)


def pages_of(files):
    return {path: data for path, data in files.items()
            if path.startswith("site/") and path.endswith(".htm")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--cuts", type=int, default=10, help="cuts in the middle of a run")
    parser.add_argument("--after", type=int, default=3, help="cuts right after a run")
    parser.add_argument("--pages", type=int, default=300)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if os.geteuid() != 0:
        print("power_cut_test: needs root to mount a loop device; skipped")
        return SKIPPED
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="quelbo-power-")
    try:
        image = Image(os.path.join(work, "disk.img"), os.path.join(work, "disk"))
    except subprocess.CalledProcessError as error:
        print("power_cut_test: cannot mount a loop device here (%s); skipped"
              % error.stderr.decode(errors="replace").strip())
        shutil.rmtree(work)
        return SKIPPED

    disk = image.mount_point
    site, config_home = os.path.join(disk, "site"), os.path.join(disk, "config")
    make_site(os.path.join(work, "original"), args.pages, random.Random(args.seed))
    env = dict(os.environ, XDG_CONFIG_HOME=config_home)

    def fresh_copy():
        for part in (site, config_home):
            shutil.rmtree(part, ignore_errors=True)
        shutil.copytree(os.path.join(work, "original"), site)
        make_config(config_home)
        shutil.copy2(args.program, os.path.join(site, "quelbo-batch"))
        os.sync()  # the starting point is on the disk; only the run's writes are in question

    # The expected bytes: one complete run, flushed.
    fresh_copy()
    old = pages_of({"site/" + k: v for k, v in snapshot(site).items()})
    subprocess.run([os.path.join(site, "quelbo-batch")], env=env, capture_output=True)
    os.sync()
    new = pages_of({"site/" + k: v for k, v in snapshot(site).items()})
    config = {k: v for k, v in snapshot(config_home).items()}
    changed = sum(old[p] != new[p] for p in old)
    print("%d pages, %d changed by a run" % (len(old), changed))

    lost = checked = failures = 0
    copy, check_point = os.path.join(work, "cut.img"), os.path.join(work, "check")
    try:
        for round_ in range(args.after + args.cuts):
            after = round_ < args.after
            fresh_copy()
            process = subprocess.Popen([os.path.join(site, "quelbo-batch")], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if after:
                process.wait()
            else:
                time.sleep(rng.uniform(0.0, 0.3))
                process.send_signal(signal.SIGSTOP)
            image.cut(copy)
            if not after:
                process.kill()
                process.wait()
            files = read_after_cut(copy, check_point)
            pages = pages_of(files)
            bad = [p for p in old if pages.get(p) != new[p] and (after or pages.get(p) != old[p])]
            done = sum(pages.get(p) == new[p] for p in old)
            if after:
                saved = {k[len("config/"):]: v for k, v in files.items()
                         if k.startswith("config/" + CONFIG_NAME)}
                bad += [k for k in config if saved.get(k) != config[k]]
            checked += len(old)
            lost += len(bad)
            failures += bool(bad)
            print("%s %2d: %3d of %d pages new, %d lost%s"
                  % ("after run" if after else "mid-run  ", round_, done, len(old), len(bad),
                     (": " + ", ".join(sorted(bad)[:5])) if bad else ""), flush=True)
    finally:
        image.close()
        shutil.rmtree(work)
    print("power cuts: %d (%d right after a run); pages checked: %d; lost or damaged: %d"
          % (args.after + args.cuts, args.after, checked, lost))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
