#!/usr/bin/env python3
"""Crash safety of quelbo-batch: kill it at random moments and check every page.

A site of GBK and UTF-8 pages is generated, a complete run on a separate copy gives the
expected bytes of every page, then many runs on fresh and partly processed copies are killed
(SIGKILL) at random moments. After each kill every page must hold exactly its original bytes or
exactly its expected bytes, the configuration files must be unchanged, and the only leftovers
allowed are temporary files recognisable by name, which the next complete run removes.
SIGINT and SIGTERM must stop the run after the page in work with exit status 130.
The rules are idempotent, so a run over a partly processed copy must end at the expected site.

Undo is killed the same way: after a run killed on a fresh copy, --undo must give back exactly
the original site; and an --undo of a complete run, killed at a random moment, must leave every
page old or new, a second --undo must then reach the original site, and undoing both undos
(redo) the expected one. Every other round keeps the journal on another file system than the
site (/dev/shm), where the journal's own flushes matter.
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

TEMP_PREFIX = ".quelbo-tmp-"
CONFIG_NAME = "AAAHTML批量替换配置log"


def page_text(rng, index, charset):
    words = ["旧名称", "青山", "茶叶", "新闻", "http://example.com/", "价格", "联系"]
    body = "\r\n".join(
        "<p>" + " ".join(rng.choice(words) for _ in range(rng.randint(5, 40))) + "</p>"
        for _ in range(rng.randint(5, 120)))
    return ("<html><head><meta charset=%s><title>页面%d 旧名称</title></head>\r\n<body>\r\n"
            "<ul>\n<li>首页</li>\n<li>新闻</li>\n</ul>\r\n"
            "<!--a-->广告 %d<!--/a-->\r\n%s\r\n<script>old()</script>\r\n</body></html>\r\n"
            % (charset, index, index, body))


def make_site(root, pages, rng):
    directories = ["", "news", "products", "about"]
    for directory in directories[1:]:
        os.makedirs(os.path.join(root, directory), exist_ok=True)
    for i in range(pages):
        directory = directories[i % len(directories)]
        gbk = i % 2 == 0
        text = page_text(rng, i, "gb2312" if gbk else "utf-8")
        data = text.encode("gbk") if gbk else text.encode("utf-8")
        with open(os.path.join(root, directory, "p%d.htm" % i), "wb") as f:
            f.write(data)


def make_config(config_home):
    directory = os.path.join(config_home, CONFIG_NAME)
    os.makedirs(directory, exist_ok=True)
    keys = [("替换前1", "旧名称"), ("替换后1", "新名称"), ("替换前3", ""), ("替换后3", ""),
            ("替换前4", "http://"), ("替换后4", "https://"), ("不替换目录", ""), ("后缀", "1"),
            ("子目录", "1"), ("UTF读入", "0"), ("UTF输出", "0"), ("自动识别", "1"),
            ("版块替换", "1"), ("版块替换2", "0")]
    ini = "[HTML]\r\n" + "".join("%s=%s\r\n" % kv for kv in keys)
    with open(os.path.join(directory, "htm批处理配置.ini"), "wb") as f:
        f.write(ini.encode("gbk"))
    lists = {"tihuanqian.txt": "", "tihuanhou.txt": "", "shanchu.txt": "<script>old()</script>",
             "bankuaikaishi.txt": "<!--a-->", "bankuaijieshu.txt": "<!--/a-->",
             "bankuaitihuan.txt": "[广告已删除]"}
    for name, text in lists.items():
        with open(os.path.join(directory, name), "wb") as f:
            f.write((text + "\r\n").encode("gbk"))


def is_journal(relative):
    return relative.split(os.sep)[1:2] == ["runs"]


def snapshot(root):
    """Relative path -> bytes of every file under root."""
    files = {}
    for directory, _, names in os.walk(root):
        for name in names:
            path = os.path.join(directory, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, root)] = f.read()
    return files


def run_batch(site, config_home, program, *args):
    shutil.copy2(program, os.path.join(site, "quelbo-batch"))
    env = dict(os.environ, XDG_CONFIG_HOME=config_home, HOME=config_home)
    return subprocess.Popen([os.path.join(site, "quelbo-batch"), *args], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def journals(config_home):
    """The run journals' ids, oldest first."""
    runs = os.path.join(config_home, CONFIG_NAME, "runs")
    return sorted(os.listdir(runs)) if os.path.isdir(runs) else []


def pages_of(site):
    """The pages only: an undo lists no folder, so what a killed one left waits for a run."""
    return {k: v for k, v in snapshot(site).items()
            if os.path.basename(k) != "quelbo-batch" and not os.path.basename(k).startswith(TEMP_PREFIX)}


class Checker:
    def __init__(self, original, expected, config_before):
        self.original = original
        self.expected = expected
        self.config_before = config_before
        self.pages_checked = 0
        self.corrupted = []

    def check_site(self, site, label, allow_temp):
        now = snapshot(site)
        for relative, data in now.items():
            name = os.path.basename(relative)
            if name == "quelbo-batch":
                continue
            if name.startswith(TEMP_PREFIX):
                if not allow_temp:
                    self.corrupted.append("%s: temporary file left after a complete run: %s"
                                          % (label, relative))
                continue
            if relative not in self.original:
                self.corrupted.append("%s: unexpected file %s" % (label, relative))
                continue
            self.pages_checked += 1
            if data != self.original[relative] and data != self.expected[relative]:
                self.corrupted.append("%s: page %s is neither original nor complete"
                                      % (label, relative))
        for relative in self.original:
            if relative not in now:
                self.corrupted.append("%s: page %s is missing" % (label, relative))

    def check_config(self, config_home, label):
        """Every configuration file whole; a killed save may leave only a temporary file."""
        now = {name: data for name, data in snapshot(config_home).items()
               if not os.path.basename(name).startswith(TEMP_PREFIX)}
        # The run journal grows with every run; only the settings must stay as they were.
        now = {name: data for name, data in now.items() if not is_journal(name)}
        for name in set(now) | set(self.config_before):
            if "/locks/" in name:  # the runs' lock files, empty, are no settings
                continue
            if now.get(name) != self.config_before.get(name):
                self.corrupted.append("%s: configuration file %s changed" % (label, name))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("program", help="path of quelbo-batch")
    # Sized for the test command by default; --long gives the full counts of the record.
    parser.add_argument("--long", action="store_true", help="200 kills of runs, 40 of undos, 400 pages")
    parser.add_argument("--kills", type=int)
    parser.add_argument("--pages", type=int)
    parser.add_argument("--undo-kills", type=int)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    for name, short, full in (("kills", 30, 200), ("pages", 200, 400), ("undo_kills", 10, 40)):
        if getattr(args, name) is None:
            setattr(args, name, full if args.long else short)
    rng = random.Random(args.seed)

    work = tempfile.mkdtemp(prefix="quelbo-kill-")
    # Another file system for the journal, where there is one.
    elsewhere = tempfile.mkdtemp(prefix="quelbo-kill-", dir="/dev/shm") \
        if os.path.isdir("/dev/shm") else work
    try:
        pristine = os.path.join(work, "pristine")
        make_site(pristine, args.pages, rng)
        config_template = os.path.join(work, "config-template")
        make_config(config_template)

        def fresh_config(round_=0):
            home = os.path.join(elsewhere if round_ % 2 else work, "config")
            for place in (work, elsewhere):
                shutil.rmtree(os.path.join(place, "config"), ignore_errors=True)
            shutil.copytree(config_template, home)
            return home

        # The expected result, and the time a whole run takes. The first run also rewrites
        # the configuration files in their saved form: that form is what later runs keep.
        complete = os.path.join(work, "complete")
        shutil.copytree(pristine, complete)
        home = fresh_config()
        started = time.monotonic()
        status = run_batch(complete, home, args.program).wait()
        duration = time.monotonic() - started
        if status != 0:
            print("complete run failed with status %d" % status)
            return 1
        shutil.rmtree(config_template)
        shutil.copytree(home, config_template)
        original = snapshot(pristine)
        expected = snapshot(complete)
        expected.pop("quelbo-batch", None)
        settings = {name: data for name, data in snapshot(config_template).items()
                    if not is_journal(name)}
        checker = Checker(original, expected, settings)
        print("site: %d pages, a complete run takes %.3f s" % (len(original), duration))

        site = os.path.join(work, "site")
        kills = 0
        temp_files_seen = 0
        while kills < args.kills:
            # Mostly fresh copies; sometimes go on killing the copy already partly processed.
            fresh = kills % 4 == 0 or not os.path.isdir(site)
            if fresh:
                shutil.rmtree(site, ignore_errors=True)
                shutil.copytree(pristine, site)
            home = fresh_config(kills // 4)
            process = run_batch(site, home, args.program)
            time.sleep(rng.uniform(0, duration * 1.2))
            process.send_signal(signal.SIGKILL)
            process.wait()
            kills += 1
            label = "kill %d" % kills
            temp_files_seen += sum(
                1 for name in snapshot(site) if os.path.basename(name).startswith(TEMP_PREFIX))
            checker.check_site(site, label, allow_temp=True)
            checker.check_config(home, label)
            if fresh and kills % 8 == 1:
                # The killed run taken back: exactly the original site again.
                status = run_batch(site, home, args.program, "--undo").wait()
                if status not in (0, 2) or pages_of(site) != original:
                    checker.corrupted.append("%s: its undo (status %d) did not give back the "
                                             "original site" % (label, status))
            if kills % 10 == 0:
                # A complete run after the kills cleans up and reaches the expected site, and
                # its start removes what a killed save left in the configuration directory.
                status = run_batch(site, home, args.program).wait()
                if any(os.path.basename(name).startswith(TEMP_PREFIX) and not is_journal(name)
                       for name in snapshot(home)):
                    checker.corrupted.append("%s: temporary configuration file left after a "
                                             "complete run" % label)
                checker.check_site(site, label + " then a complete run", allow_temp=False)
                reached = snapshot(site)
                reached.pop("quelbo-batch", None)
                if status != 0 or reached != expected:
                    checker.corrupted.append("%s: a complete run did not reach the expected "
                                             "site (status %d)" % (label, status))

        undo_kills = 0
        for round_ in range(args.undo_kills):
            label = "undo kill %d" % (round_ + 1)
            shutil.rmtree(site, ignore_errors=True)
            shutil.copytree(pristine, site)
            home = fresh_config(round_)
            status = run_batch(site, home, args.program).wait()
            run_id = journals(home)[-1]
            started = time.monotonic()
            process = run_batch(site, home, args.program, "--undo", run_id)
            time.sleep(rng.uniform(0, duration * 1.2))
            process.send_signal(signal.SIGKILL)
            process.wait()
            undo_kills += 1
            checker.check_site(site, label, allow_temp=True)
            # The rest taken back; then both undos undone: the run's pages again.
            status = run_batch(site, home, args.program, "--undo", run_id).wait()
            if status != 0 or pages_of(site) != original:
                checker.corrupted.append("%s: a second undo (status %d) did not reach the "
                                         "original site" % (label, status))
            for undo in reversed([j for j in journals(home) if j > run_id]):
                status = run_batch(site, home, args.program, "--undo", undo).wait()
                if status not in (0, 2):
                    checker.corrupted.append("%s: redo of %s: status %d" % (label, undo, status))
            checker.check_site(site, label + " then redone", allow_temp=True)
            if pages_of(site) != expected:
                checker.corrupted.append("%s: the redo did not reach the run's site" % label)

        stops = 0
        for stop_signal in [signal.SIGINT, signal.SIGTERM] * max(1, args.kills // 20):
            shutil.rmtree(site, ignore_errors=True)
            shutil.copytree(pristine, site)
            home = fresh_config()
            process = run_batch(site, home, args.program)
            time.sleep(rng.uniform(duration * 0.1, duration * 0.8))
            process.send_signal(stop_signal)
            status = process.wait()
            stops += 1
            label = "%s %d" % (signal.Signals(stop_signal).name, stops)
            if status not in (130, 0):
                checker.corrupted.append("%s: exit status %d" % (label, status))
            checker.check_site(site, label, allow_temp=False)
            checker.check_config(home, label)

        print("kills: %d (runs), %d (undos), stops: %d, pages checked: %d, pages corrupted: %d, "
              "temporary files seen after kills: %d"
              % (kills, undo_kills, stops, checker.pages_checked, len(checker.corrupted),
                 temp_files_seen))
        for problem in checker.corrupted[:20]:
            print("  " + problem)
        return 1 if checker.corrupted else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)
        if elsewhere != work:
            shutil.rmtree(elsewhere, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
