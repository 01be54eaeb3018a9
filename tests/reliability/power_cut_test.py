#!/usr/bin/env python3
"""Power loss: a page reported written must survive a power cut, and none may be lost.

The site and the configuration live on an ext4 image mounted through a loop device with
noauto_da_alloc (so that nothing flushes a renamed file for us). A copy of the image taken
while it is still mounted holds what a power cut at that moment would leave on the disk: what
the program made durable, and whatever the kernel happened to write back. Each copy is
mounted (which replays the journal, as a reboot would) and checked:

- after a run that ended: every page holds its new bytes, and the settings the run saved;
- when cut in the middle (the program stopped with SIGSTOP, the image copied, then killed):
  every page holds its old bytes or its new bytes, never an empty or a mixed page;
- after an undo that ended: every page holds its old bytes again;
- and in each case an undo run on the disk as the cut left it gives every page back the bytes
  it held before the run (after an undo: the run's bytes). With --journal-elsewhere the
  configuration, and so the journal, lies on a second image, cut at the same moment.

Needs root and loop devices; says so and exits 77 (skipped) without them.

    sudo python3 tests/reliability/power_cut_test.py build/bin/quelbo-batch --cuts 20
    sudo python3 tests/reliability/power_cut_test.py build/bin/quelbo-batch --journal-elsewhere
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
        self.mount()

    def mount(self):
        sh("mount", "-o", "loop,noauto_da_alloc", self.path, self.mount_point)

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


def undo_on(images, copies, command, env, site):
    """The pages after `command` (an undo) runs on the cut disks, mounted where the originals
    were: the journal names the site by its path."""
    for image in images:
        image.close()
    try:
        for image, copy in zip(images, copies):
            sh("mount", "-o", "loop", copy, image.mount_point)
        done = subprocess.run(command, env=env, capture_output=True)
        pages = pages_of({"site/" + k: v for k, v in snapshot(site).items()})
        for image in images:
            image.close()
        return done.returncode, pages
    finally:
        for image in images:
            image.mount()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--cuts", type=int, default=10, help="cuts in the middle of a run")
    parser.add_argument("--after", type=int, default=3, help="cuts right after a run")
    parser.add_argument("--after-undo", type=int, default=2, help="cuts right after an undo")
    parser.add_argument("--journal-elsewhere", action="store_true",
                        help="the configuration and its journal on a second image")
    parser.add_argument("--pages", type=int, default=300)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if os.geteuid() != 0:
        print("power_cut_test: needs root to mount a loop device; skipped")
        return SKIPPED
    rng = random.Random(args.seed)
    work = tempfile.mkdtemp(prefix="quelbo-power-")
    images = []
    try:
        for name in ("disk", "journal")[:1 + args.journal_elsewhere]:
            images.append(Image(os.path.join(work, name + ".img"), os.path.join(work, name)))
    except subprocess.CalledProcessError as error:
        print("power_cut_test: cannot mount a loop device here (%s); skipped"
              % error.stderr.decode(errors="replace").strip())
        for image in images:
            image.close()
        shutil.rmtree(work)
        return SKIPPED

    site = os.path.join(images[0].mount_point, "site")
    config_home = os.path.join(images[-1].mount_point, "config")
    make_site(os.path.join(work, "original"), args.pages, random.Random(args.seed))
    env = dict(os.environ, XDG_CONFIG_HOME=config_home)
    program = os.path.join(site, "quelbo-batch")

    def fresh_copy():
        for part in (site, config_home):
            shutil.rmtree(part, ignore_errors=True)
        shutil.copytree(os.path.join(work, "original"), site)
        make_config(config_home)
        shutil.copy2(args.program, program)
        os.sync()  # the starting point is on the disk; only the run's writes are in question

    def settings(files):
        return {k: v for k, v in files.items()
                if "/runs/" not in k and "/locks/" not in k and k.startswith("config/")}

    # The expected bytes: one complete run, flushed.
    fresh_copy()
    old = pages_of({"site/" + k: v for k, v in snapshot(site).items()})
    started = time.monotonic()
    subprocess.run([program], env=env, capture_output=True)
    duration = time.monotonic() - started
    os.sync()
    new = pages_of({"site/" + k: v for k, v in snapshot(site).items()})
    config = settings({"config/" + k: v for k, v in snapshot(config_home).items()})
    changed = sum(old[p] != new[p] for p in old)
    print("%d pages, %d changed by a run; journal on %s" % (
        len(old), changed, "a second image" if args.journal_elsewhere else "the site's image"))

    rounds = args.after + args.after_undo + args.cuts
    lost = checked = failures = 0
    copies = [os.path.join(work, "cut%d.img" % i) for i in range(len(images))]
    check_point = os.path.join(work, "check")
    try:
        for round_ in range(rounds):
            kind = ("after run" if round_ < args.after else
                    "after undo" if round_ < args.after + args.after_undo else "mid-run")
            fresh_copy()
            if kind == "after undo":
                subprocess.run([program], env=env, capture_output=True)
            process = subprocess.Popen([program] + (["--undo"] if kind == "after undo" else []),
                                       env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            if kind == "mid-run":
                time.sleep(rng.uniform(0.0, duration))
                process.send_signal(signal.SIGSTOP)
            else:
                process.wait()
            for image, copy in zip(images, copies):  # both at once: the process is not running
                image.cut(copy)
            if kind == "mid-run":
                process.kill()
                process.wait()
            files = {}
            for copy in copies:
                files.update(read_after_cut(copy, check_point))
            pages = pages_of(files)
            now = old if kind == "after undo" else new
            bad = [p for p in old if pages.get(p) != now[p] and
                   (kind != "mid-run" or pages.get(p) != old[p])]
            done = sum(pages.get(p) == new[p] for p in old)
            if kind == "after run":
                bad += [k for k, v in config.items() if settings(files).get(k) != v]
            # Then an undo on the disks as the cut left them: every page back to what it held
            # before the run (after an undo: to what the run wrote).
            status, undone = undo_on(images, copies, [args.program, "--undo", site], env, site)
            back = new if kind == "after undo" else old
            not_back = [p for p in old if undone.get(p) != back[p]]
            checked += 2 * len(old)
            lost += len(bad) + len(not_back)
            failures += bool(bad or not_back)
            print("%-10s %2d: %3d of %d pages new, %d lost; undo after the cut: status %d, "
                  "%d pages not restored%s"
                  % (kind, round_, done, len(old), len(bad), status, len(not_back),
                     (": " + ", ".join(sorted(bad + not_back)[:5])) if bad or not_back else ""),
                  flush=True)
    finally:
        for image in images:
            image.close()
        shutil.rmtree(work)
    print("power cuts: %d (%d right after a run, %d right after an undo); pages checked: %d; "
          "lost, damaged or not restored: %d" % (rounds, args.after, args.after_undo, checked, lost))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
