#!/usr/bin/env python3
"""Undo on the days something went wrong: each check sets up one of the ways a run journal,
an undo or a preview can be let down, and says whether quelbo-batch keeps its promises there.

  python3 tests/reliability/journal_faults_test.py build/bin/quelbo-batch [--only 1,6]

A page must only ever hold its own bytes from before a run or after it; a page not restored
must make the undo's exit status non-zero; a preview must write nothing. Checks 2 and 9 (a
nearly full disk) and the read-only part of 7 need root for a small tmpfs; without it they are
skipped. The power cut of fault 3 is power_cut_test.py --journal-elsewhere. Exit status 1 when
a promise is broken.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CONFIG = "AAAHTML批量替换配置log"
INI = ("[HTML]\r\n替换前1=old\r\n替换后1=new\r\n后缀=1\r\n子目录=0\r\nUTF读入=1\r\nUTF输出=1\r\n"
       "自动识别=0\r\n")


# Holds each new run folder back a moment before it is made.
SLOW_MKDIR = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
int mkdir(const char* path, mode_t mode) {
  int (*real)(const char*, mode_t) = (int (*)(const char*, mode_t))dlsym(RTLD_NEXT, "mkdir");
  const char* runs = strstr(path, "/runs/2");
  if (runs && !strchr(runs + 6, '/')) usleep(300000);
  return real(path, mode);
}
"""


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(top):
    """Every file under `top`: bytes and modification time."""
    files = {}
    for directory, _, names in os.walk(top):
        for name in names:
            path = os.path.join(directory, name)
            files[os.path.relpath(path, top)] = (read(path), os.stat(path).st_mtime_ns)
    return files


def sh(*command):
    subprocess.run(command, check=True, capture_output=True)


class World:
    """A site and a configuration home in a fresh folder; pages "old <n>" become "new <n>"."""
    made = []

    def __init__(self, program, pages=3, size=0):
        self.work = tempfile.mkdtemp(prefix="quelbo-faults-")
        World.made.append(self.work)
        self.program, self.site = program, os.path.join(self.work, "site")
        self.home = os.path.join(self.work, "home")
        self.config = os.path.join(self.home, CONFIG)
        self.runs = os.path.join(self.config, "runs")
        os.makedirs(self.site)
        os.makedirs(self.config)
        write(os.path.join(self.config, "htm批处理配置.ini"), INI.encode("gbk"))
        self.original = {}
        for n in range(pages):
            self.page("p%d.htm" % n, b"old %d " % n + b"x" * size)

    def page(self, name, data):
        write(os.path.join(self.site, name), data)
        self.original[name] = data

    def env(self):
        return dict(os.environ, XDG_CONFIG_HOME=self.home, HOME=self.home)

    def run(self, *args, site=True, program=None, **kw):
        command = [program or self.program, *args] + ([self.site] if site else [])
        kw.setdefault("stdout", subprocess.PIPE)
        return subprocess.run(command, env=self.env(), stderr=subprocess.PIPE, timeout=300, **kw)

    def start(self, *args):
        return subprocess.Popen([self.program, *args, self.site], env=self.env(),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def folders(self):
        return sorted(os.listdir(self.runs)) if os.path.isdir(self.runs) else []

    def pages_now(self):
        return {name: read(os.path.join(self.site, name)) for name in self.original}

    def wrong_pages(self):
        """Pages holding bytes they never held."""
        return [name for name, data in self.pages_now().items()
                if data not in (self.original[name], self.original[name].replace(b"old", b"new"))]

    def kept(self, data, folder=None):
        """The kept copy holding `data` in the newest (or the given) run."""
        old = os.path.join(self.runs, folder or self.folders()[-1], "old")
        return next(os.path.join(old, n) for n in os.listdir(old) if read(os.path.join(old, n)) == data)

    def wait_for_new_pages(self, process, new=b"new"):
        """Stops `process` once a page begins with `new`."""
        while process.poll() is None:
            if any(d.startswith(new) for d in self.pages_now().values()):
                return process.send_signal(signal.SIGSTOP)
            time.sleep(0.01)


def verdict(world, undo):
    """Every page holds its own old or new bytes; one not restored makes the exit non-zero."""
    wrong = world.wrong_pages()
    unrestored = [n for n, d in world.pages_now().items() if d != world.original[n]]
    if wrong:
        return False, "bytes never held in %s (exit %d)" % (", ".join(wrong[:3]), undo.returncode)
    if unrestored and undo.returncode == 0:
        return False, "%d pages not restored, exit 0" % len(unrestored)
    return True, "exit %d, %d pages left new and named" % (undo.returncode, len(unrestored))


def tmpfs(path, size):
    os.makedirs(path, exist_ok=True)
    sh("mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", path)


def fault1(program):
    """A second name edited in place; a kept copy edited in place, emptied, or swapped."""
    results = []
    for tamper in ("second name", "kept copy", "emptied", "swapped"):
        w = World(program)
        os.link(os.path.join(w.site, "p0.htm"), os.path.join(w.site, "p0.html"))
        w.run()
        if tamper == "second name":
            with open(os.path.join(w.site, "p0.html"), "r+b") as f:
                f.write(b"EDIT!")
        elif tamper == "kept copy":
            with open(w.kept(b"old 1 "), "r+b") as f:
                f.write(b"junk!")
        elif tamper == "emptied":
            write(w.kept(b"old 1 "), b"")
        else:
            one, two = w.kept(b"old 1 "), w.kept(b"old 2 ")
            os.rename(one, one + ".x")
            os.rename(two, one)
            os.rename(one + ".x", two)
        results.append(verdict(w, w.run("--undo")))
        results[-1] = results[-1][0], tamper + ": " + results[-1][1]
    return all(r[0] for r in results), "; ".join(r[1] for r in results)


def fault2(program):
    """A configuration disk that fills up while a batch's lines are added, then a second run."""
    w = World(program, pages=1100, size=1000)
    tmpfs(w.home, "64m")
    try:
        os.makedirs(w.config)
        write(os.path.join(w.config, "htm批处理配置.ini"), INI.encode("gbk"))
        # Room for the first batch's 1,024 kept copies (a block each) and a few files, and for
        # a part of its lines only.
        disk = os.statvfs(w.home)
        filler = disk.f_bavail * disk.f_frsize - (1024 + 4) * 4096 - 24 * 1024
        write(os.path.join(w.home, "filler"), b"\0" * filler)
        first = w.run()
        os.remove(os.path.join(w.home, "filler"))
        w.run()
        undo = w.run("--undo", w.folders()[0])
        wrong = w.wrong_pages()
        return not wrong, "first run skipped %d; undo exit %d; %d pages with other bytes" % (
            first.stderr.count(b"skipped:"), undo.returncode, len(wrong))
    finally:
        sh("umount", "-l", w.home)


def fault4(program):
    results = []
    for keep in (5, 0):
        w = World(program, pages=8)
        w.run()
        pages_txt = os.path.join(w.runs, w.folders()[-1], "pages.txt")
        write(pages_txt, b"".join(read(pages_txt).splitlines(True)[:keep]))
        results.append(verdict(w, w.run("--undo")))
    return all(r[0] for r in results), "; ".join(r[1] for r in results)


def fault5(program):
    results = []
    for tamper in ("number", "link"):
        w = World(program)
        w.run()
        outside = os.path.join(w.work, "outside")
        write(outside, b"SECRET")
        kept = w.kept(b"old 0 ")
        if tamper == "link":
            os.remove(kept)
            os.symlink(outside, kept)
        else:
            pages_txt = os.path.join(os.path.dirname(os.path.dirname(kept)), "pages.txt")
            number = os.path.basename(kept).encode()
            rel = os.path.relpath(outside, os.path.dirname(kept)).encode()
            write(pages_txt, b"\n".join(rel + l[len(number):] if l.startswith(number + b"\t")
                                        else l for l in read(pages_txt).split(b"\n")))
        results.append(verdict(w, w.run("--undo")))
    return all(r[0] for r in results), "; ".join(r[1] for r in results)


def fault6(program):
    notes, ok = [], True
    # An undo while a run is stopped midway.
    w = World(program, pages=3000, size=2000)
    run = w.start()
    w.wait_for_new_pages(run)
    undo = w.run("--undo")
    run.send_signal(signal.SIGKILL)
    run.wait()
    ok &= undo.returncode == 2
    notes.append("undo during a stopped run: exit %d" % undo.returncode)
    # An undo while a run is going on, and two undos at once.
    w = World(program, pages=3000, size=2000)
    run = w.start()
    while run.poll() is None and not w.folders():
        time.sleep(0.01)
    undo = w.run("--undo")
    ok &= undo.returncode == 2 and run.wait() == 0
    notes.append("undo during a run: exit %d" % undo.returncode)
    first = w.start("--undo")
    w.wait_for_new_pages(first, b"old")
    second = w.run("--undo")
    first.send_signal(signal.SIGCONT)
    ok &= second.returncode == 2 and first.wait() == 0 and w.pages_now() == w.original
    notes.append("two undos at once: second exit %d, first restored %s" % (
        second.returncode, "all" if w.pages_now() == w.original else "not all"))
    # Two runs that pick a run id at the same moment (each new run folder held back 0.3 s, as
    # a busy disk may) on two sites sharing one configuration: each keeps a journal of its own.
    shim = os.path.join(w.work, "slow_mkdir.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-o", shim, "-x", "c", "-", "-ldl"], check=True,
                   input=SLOW_MKDIR.encode())
    a, b = World(program), World(program)
    b.home, b.config, b.runs = a.home, a.config, a.runs
    # A sanitized build would refuse a preloaded library ahead of its runtime.
    asan = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0"]))
    env = dict(a.env(), LD_PRELOAD=shim, ASAN_OPTIONS=asan)
    first = subprocess.Popen([program, a.site], env=env, stderr=subprocess.DEVNULL)
    time.sleep(0.05)
    codes = [subprocess.run([program, b.site], env=env, capture_output=True).returncode,
             first.wait()]
    ok &= codes == [0, 0] and len(a.folders()) == 2
    notes.append("two runs picking an id at once: exits %s, %d journals" % (codes, len(a.folders())))
    # A stopped run's journal outlives 21 runs on another site.
    w = World(program, pages=3000, size=2000)
    run = w.start()
    w.wait_for_new_pages(run)
    live = w.folders()[-1]
    other = World(program, pages=1)
    other.home, other.config, other.runs = w.home, w.config, w.runs
    for _ in range(21):
        other.page("p0.htm", b"old 0")
        other.run()
    alive = live in w.folders()
    run.send_signal(signal.SIGKILL)
    run.wait()
    ok &= alive
    notes.append("stopped run's journal after 21 runs: %s" % ("kept" if alive else "removed"))
    return ok, "; ".join(notes)


def fault7(program):
    notes, ok = [], True
    w = World(program, pages=2000, size=2000)
    write(os.path.join(w.config, "shanchu.txt"), "lone CR\r € utf-8\r\n".encode())
    before = snapshot(w.work)
    first, second = w.run("--dry-run", "--diff"), w.run("--dry-run", "--diff")
    same = snapshot(w.work) == before and first.stdout == second.stdout
    ok &= same and first.returncode == 0
    notes.append("preview: %s" % ("nothing written, previews alike" if same else "wrote"))
    preview = w.start("--dry-run", "--diff")
    time.sleep(0.3)
    preview.kill()
    preview.wait()
    ok &= snapshot(w.work) == before
    notes.append("killed preview: %s" % ("nothing left" if snapshot(w.work) == before else "left files"))
    bare = World(program)
    os.remove(os.path.join(bare.config, "htm批处理配置.ini"))
    os.rmdir(bare.config)
    done = bare.run("--dry-run")
    ok &= done.returncode == 0 and not os.path.exists(bare.config)
    notes.append("no configuration: exit %d, %s" % (
        done.returncode, "none made" if not os.path.exists(bare.config) else "made"))
    if os.geteuid() == 0:
        sh("mount", "--bind", w.home, w.home)
        sh("mount", "-o", "remount,ro,bind", w.home)
        try:
            done = w.run("--dry-run")
        finally:
            sh("umount", w.home)
        ok &= done.returncode == 0
        notes.append("read-only configuration: exit %d" % done.returncode)
    return ok, "; ".join(notes)


def fault8(program):
    w = World(program)
    w.run()  # a run to undo, so that an undo half obeyed shows
    before = snapshot(w.work)
    combinations = (["--dry-run", "--undo"], ["--diff"], ["--journal=off", "--undo"],
                    ["--list-runs", "--undo"], ["--undo", "abc"])
    done = [w.run(*args) for args in combinations]
    codes = [d.returncode for d in done]
    untouched = snapshot(w.work) == before
    ok = codes == [2] * 5 and untouched and b"run id" in done[-1].stderr
    notes = ["contradictions: " + ", ".join(
        "%s exit %d" % (" ".join(a), c) for a, c in zip(combinations, codes)) +
        (", nothing touched" if untouched else ", files written") +
        "; --undo abc: " + done[-1].stderr.decode(errors="replace").splitlines()[0]]
    bin_dir = os.path.join(w.work, "bin")
    os.makedirs(bin_dir)
    installed = os.path.join(bin_dir, "quelbo-batch")
    os.link(program, installed) if os.stat(program).st_dev == os.stat(bin_dir).st_dev else \
        write(installed, read(program))
    os.chmod(installed, 0o755)
    codes = [w.run(a, site=False, program=installed).returncode
             for a in ("--list-runs", "--journal=off", "--journal=on")]
    ok &= codes == [0, 0, 0]
    notes.append("without a site from a bin folder: exits %s" % codes)
    with open("/dev/full", "wb") as full:
        codes = [w.run(*a, stdout=full, site=s).returncode
                 for a, s in ((["--list-runs"], False), (["--dry-run", "--diff"], True))]
    ok &= codes == [130, 130]
    notes.append("stdout on /dev/full: exits %s" % codes)
    return ok, "; ".join(notes)


def fault9(program):
    w = World(program, pages=20)
    tmpfs(w.home, "4m")
    try:
        os.makedirs(w.config)
        write(os.path.join(w.config, "htm批处理配置.ini"), INI.encode("gbk"))
        w.run()
        try:
            with open(os.path.join(w.home, "filler"), "wb") as f:
                while True:
                    f.write(b"\0" * 65536)
                    f.flush()
        except OSError:
            pass
        undo = w.run("--undo")
        restored = w.pages_now() == w.original
        ok = restored and b"cannot itself be undone" in undo.stderr
        note = "full disk: exit %d, %s" % (undo.returncode, "restored" if restored else "nothing")
    finally:
        sh("umount", "-l", w.home)
    off = World(program)
    off.run()
    off.run("--journal=off")  # with the site, which an older build asked for
    off.run("--undo")
    journaled = b"undo of" in off.run("--list-runs").stdout
    return ok and not journaled, note + "; journal off: undo %s" % (
        "journaled" if journaled else "not journaled")


CHECKS = {1: fault1, 2: fault2, 4: fault4, 5: fault5, 6: fault6, 7: fault7, 8: fault8, 9: fault9}
NEEDS_ROOT = {2, 9}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--only", default="", help="comma-separated fault numbers")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    chosen = [int(n) for n in args.only.split(",") if n] or sorted(CHECKS)
    broken = 0
    try:
        for number in chosen:
            if number in NEEDS_ROOT and os.geteuid() != 0:
                print("%d\tskipped\tneeds root for a small tmpfs" % number, flush=True)
                continue
            ok, detail = CHECKS[number](program)
            broken += not ok
            print("%d\t%s\t%s" % (number, "kept" if ok else "BROKEN", detail), flush=True)
    finally:
        for work in World.made:
            shutil.rmtree(work, ignore_errors=True)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
