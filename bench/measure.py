#!/usr/bin/env python3
"""Times quelbo-batch against the I/O floors and the comparison tools, and prints the table.

Every timed run starts from a fresh copy of the site and its configuration (the copy is not
timed). All site and tool pairs take turns, round after round, so that a slow spell of a shared
machine hits them alike; each figure is the median of the rounds, and its ratios to the floor
and to the safe floor are the medians of the ratios taken within each round, in wall time and
in CPU time (user + system, which waiting for a busy machine does not inflate).

Expects the sites that bench/run generates under SITES (each with site/, config/,
rules.json and manifest.json):
  large, many                 the two standard sites
  many-small                  a tenth of "many", built alike: the scaling pair with "many"
  many-dirs                   a fifth of "many" spread over 4,000 directories: the walk's cost
                              per directory
  huge, huge-gbk              one very large page in UTF-8 and one in GBK, for peak memory
  patho-pathological, patho-filter-defeated, patho-never
                              a page of "a" with the pathological find text and its yardsticks
"""

import argparse
import json
import os
import platform
import resource
import shutil
import statistics
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ beside the sources
import one_pass_share  # noqa: E402
import yardsticks  # noqa: E402

FLOORS = ["io_floor", "io_floor --safe"]
# The safe floor with the checks a trustworthy journal and rename need, and no page work.
CHECKED = "io_floor --checked"
YARDSTICKS = ["sed -i", "perl -pi", "sd -s"]
TOOLS = FLOORS + [CHECKED, "quelbo-batch"] + YARDSTICKS
WINDOW = "quelbo window"  # window_run: the window pressing Start itself, timed on "many"
PREVIEW = "quelbo-batch --dry-run"  # the preview of the run, timed on "large"
UNDO = "quelbo-batch --undo"  # the undo of the run just made on the same copy, timed on "large"
PATHO = ["patho-pathological", "patho-filter-defeated", "patho-never"]
MIB = 1 << 20


class Bench:
    def __init__(self, args):
        self.args = args
        self.sites = os.path.abspath(args.sites)
        self.work = os.path.abspath(args.work)
        self.bin = os.path.abspath(args.bin)
        self.results = {"runs": {}, "memory": {}, "manifests": {}}
        # Asked now: the work directory is gone by the time the report is written.
        self.tmpfs = self.on_tmpfs()

    # -- sites ---------------------------------------------------------------------------

    def manifest(self, name):
        if name not in self.results["manifests"]:
            with open(os.path.join(self.sites, name, "manifest.json"), encoding="utf-8") as f:
                self.results["manifests"][name] = json.load(f)
        return self.results["manifests"][name]

    def rules(self, name):
        with open(os.path.join(self.sites, name, "rules.json"), encoding="utf-8") as f:
            return json.load(f)

    def work_site(self):
        return os.path.join(self.work, "site")

    def restore(self, name):
        """A fresh copy of the site and its configuration, with the program in the root."""
        for part in ("site", "config"):
            target = os.path.join(self.work, part)
            if os.path.exists(target):
                subprocess.run(["rm", "-rf", target], check=True)
            subprocess.run(["cp", "-a", os.path.join(self.sites, name, part), target], check=True)
        for program in ("quelbo-batch", "window_run", "window_startup"):
            if os.path.exists(os.path.join(self.bin, program)):
                shutil.copy2(os.path.join(self.bin, program), self.work_site())
        os.sync()  # the copy's writeback is not charged to the next tool (disk work dirs)

    def page_list(self, name):
        """The pages every tool rewrites: *.htm in the root and its immediate subdirectories,
        NUL-separated and relative to the site root, in a file beside the site."""
        path = os.path.join(self.work, f"{name}.pages")
        if not os.path.exists(path):
            root = os.path.join(self.sites, name, "site")
            pages = []
            for entry in sorted(os.scandir(root), key=lambda e: e.name):
                if entry.is_dir():
                    pages += [f"{entry.name}/{n}" for n in sorted(os.listdir(entry.path))
                              if n.endswith(".htm")]
                elif entry.name.endswith(".htm"):
                    pages.append(entry.name)
            with open(path, "wb") as f:
                f.write(b"\0".join(p.encode() for p in pages) + b"\0")
        return path

    # -- tools ---------------------------------------------------------------------------

    def commands(self, tool, name):
        """The command lines that make up one run of `tool` on site `name`."""
        site = self.work_site()
        if tool == "io_floor":
            return [[os.path.join(self.bin, "io_floor"), site, ".htm"]]
        if tool in ("io_floor --safe", CHECKED):
            # The journal folder lies with the configuration, as quelbo-batch's run journal
            # does, and goes with it when the next fresh copy is made.
            journal = os.path.join(self.work, "config", "io-floor-journal")
            return [[os.path.join(self.bin, "io_floor"), tool.split()[1], site, ".htm", journal]]
        if tool == "quelbo-batch":
            return [[os.path.join(site, "quelbo-batch")]]
        if tool == PREVIEW:
            return [[os.path.join(site, "quelbo-batch"), "--dry-run"]]
        if tool == WINDOW:
            return [[os.path.join(site, "window_run")]]
        if tool == UNDO:
            return [[os.path.join(site, "quelbo-batch"), "--undo"]]
        xargs = ["xargs", "-0", "-a", self.page_list(name)]
        rules = self.rules(name)
        if tool == "sed -i":
            return [xargs + ["sed", "-i"] + yardsticks.sed_arguments(rules)]
        if tool == "perl -pi":
            return [xargs + ["perl", "-pi", "-e", yardsticks.perl_program(rules)]]
        if tool == "sd -s":
            return [xargs + ["sd"] + call for call in yardsticks.sd_calls(rules)]
        raise ValueError(tool)

    def environment(self):
        env = dict(os.environ)
        env["XDG_CONFIG_HOME"] = os.path.join(self.work, "config")
        env["LC_ALL"] = "C"  # byte semantics for sed and perl
        env["QT_QPA_PLATFORM"] = "offscreen"  # the window needs no display
        return env

    def run_once(self, tool, name, prefix=(), fresh=True):
        """Runs `tool` once (on a fresh copy unless told otherwise); returns (wall seconds,
        CPU seconds, outputs)."""
        if fresh:
            self.restore(name)
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        outputs = []
        start = time.perf_counter()
        for command in self.commands(tool, name):
            done = subprocess.run(list(prefix) + command, cwd=self.work_site(),
                                  env=self.environment(), capture_output=True)
            outputs.append(done)
        elapsed = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        for done in outputs:
            if done.returncode != 0:
                sys.exit(f"{tool} on {name} failed ({done.returncode}):\n"
                         f"{done.stderr.decode(errors='replace')}")
        return elapsed, cpu, outputs

    def check_result(self, tool, name):
        """After a first run: the rules were applied (the pair-1 address is gone), and
        quelbo-batch also applied the block sets."""
        if tool in FLOORS or tool == CHECKED or tool == PREVIEW or name.startswith("patho"):
            return
        left = {"pair 1": b"http://www.old-example.com", "footer block": b"<!-- footer begin -->"}
        if tool not in ("quelbo-batch", WINDOW):
            del left["footer block"]
        with open(self.page_list(name), "rb") as f:
            pages = [p.decode() for p in f.read().split(b"\0") if p]
        for page in pages:
            with open(os.path.join(self.work_site(), page), "rb") as f:
                data = f.read()
            for what, text in left.items():
                if text in data:
                    sys.exit(f"{tool} on {name}: {page} still holds the {what}")

    def time_all(self, plan, runs):
        """Times every (site, tool) pair of `plan` `runs` times. Each round runs every pair
        once, starting one pair further along than the round before, so that a slow spell of
        the machine is shared out among the sites and tools rather than hitting one of them."""
        print(f"== {len(plan)} site and tool pairs, {runs} rounds", flush=True)
        for name, tool in plan:
            entry = self.results["runs"].setdefault(name, {})
            entry[tool] = {"seconds": [], "cpu_seconds": []}
        for run in range(runs):
            shift = run % len(plan)
            started = time.perf_counter()
            for name, tool in plan[shift:] + plan[:shift]:
                elapsed, cpu, _ = self.run_once(tool, name)
                if run == 0:
                    self.check_result(tool, name)
                entry = self.results["runs"][name][tool]
                entry["seconds"].append(elapsed)
                entry["cpu_seconds"].append(cpu)
            print(f"   round {run + 1} done in {time.perf_counter() - started:.0f} s", flush=True)

    def time_window_pairs(self, name, rounds):
        """Times the window and quelbo-batch on `name` one right after the other, `rounds`
        times, alternating which goes first. Their ratio is taken within each pair, so that a
        slow spell of the machine, which lasts longer than a pair, cancels out of it."""
        print(f"== the window and quelbo-batch on {name}, {rounds} pairs", flush=True)
        pairs = self.results["window_pairs"] = {
            "site": name, WINDOW: [], "quelbo-batch": [], "window_cpu": []}
        for run in range(rounds):
            order = (WINDOW, "quelbo-batch") if run % 2 == 0 else ("quelbo-batch", WINDOW)
            for tool in order:
                elapsed, cpu, _ = self.run_once(tool, name)
                if run == 0:
                    self.check_result(tool, name)
                pairs[tool].append(elapsed)
                if tool == WINDOW:
                    pairs["window_cpu"].append(cpu)

    def time_undo_pairs(self, name, rounds):
        """Times quelbo-batch on a fresh copy of `name` and, right after on the same copy, the
        undo of that run; the ratio is taken within each pair, as for the window."""
        print(f"== quelbo-batch and its undo on {name}, {rounds} pairs", flush=True)
        pairs = self.results["undo_pairs"] = {
            "site": name, "quelbo-batch": [], UNDO: [], "undo_cpu": [], "run_cpu": []}
        for run in range(rounds):
            elapsed, cpu, _ = self.run_once("quelbo-batch", name)
            pairs["quelbo-batch"].append(elapsed)
            pairs["run_cpu"].append(cpu)
            os.sync()  # the run's writeback is not charged to the undo (disk work dirs)
            elapsed, cpu, outputs = self.run_once(UNDO, name, fresh=False)
            if run == 0 and b" restored" not in outputs[0].stderr:
                sys.exit(f"the undo on {name} restored nothing: {outputs[0].stderr!r}")
            pairs[UNDO].append(elapsed)
            pairs["undo_cpu"].append(cpu)

    def window_ratio(self):
        """The median over the pairs of the window's time over quelbo-batch's."""
        pairs = self.results["window_pairs"]
        return statistics.median(w / b for w, b in zip(pairs[WINDOW], pairs["quelbo-batch"]))

    def window_startup(self, starts):
        """From the start of window_startup's process to its first painted frame, `starts`
        times on a fresh copy of "large": the median, in seconds."""
        self.restore("large")
        program = os.path.join(self.work_site(), "window_startup")
        times = []
        for _ in range(starts):
            started = time.monotonic()
            done = subprocess.run([program], cwd=self.work_site(), env=self.environment(),
                                  capture_output=True, text=True, check=True)
            times.append(float(done.stdout.split()[-1]) - started)
        self.results["window_startup"] = times
        print(f"== the window's first frame after {statistics.median(times) * 1000:.0f} ms "
              f"(median of {starts})", flush=True)

    def one_pass_shares(self, names):
        """Pages processed, on their own bytes and in one pass, per site."""
        shares = self.results["one_pass"] = {}
        for name in names:
            site_dir = os.path.join(self.sites, name)
            totals = [0, 0, 0]
            for suffix in one_pass_share.suffixes(os.path.join(site_dir, "site")):
                counts = one_pass_share.run(os.path.join(self.bin, "quelbo-batch"), site_dir,
                                            suffix, os.path.join(self.work, "share"))
                totals = [a + b for a, b in zip(totals, counts)]
            shares[name] = dict(zip(("processed", "on_bytes", "one_pass"), totals))
        shutil.rmtree(os.path.join(self.work, "share"), ignore_errors=True)

    def peak_memory(self, name):
        """quelbo-batch's maximum resident set size on a fresh copy, through time -v."""
        _, _, outputs = self.run_once("quelbo-batch", name, prefix=["/usr/bin/time", "-v"])
        for line in outputs[0].stderr.decode(errors="replace").splitlines():
            if "Maximum resident set size" in line:
                peak = int(line.rsplit(":", 1)[1]) * 1024
                largest = self.manifest(name)["largest_page"]
                self.results["memory"][name] = {
                    "peak_bytes": peak, "largest_page": largest,
                    "target_bytes": 2 * largest + 16 * MIB}
                print(f"== peak memory on {name}: {peak / MIB:.1f} MiB", flush=True)
                return
        sys.exit("time -v printed no maximum resident set size")

    # -- report --------------------------------------------------------------------------

    def median(self, name, tool, measure="seconds"):
        return statistics.median(self.results["runs"][name][tool][measure])

    def ratio(self, name, tool, base, measure="seconds"):
        """The median over the rounds of `tool`'s figure over `base`'s in the same round."""
        runs = self.results["runs"][name]
        return statistics.median(t / b for t, b in zip(runs[tool][measure], runs[base][measure]))

    def on_tmpfs(self):
        done = subprocess.run(["stat", "-f", "-c", "%T", self.work], capture_output=True,
                              text=True)
        return done.stdout.strip() == "tmpfs"

    def report(self):
        lines = []
        out = lines.append
        runs = self.results["runs"]
        out("| site | pages | MB | tool | median s | × floor | × safe floor | CPU s | "
            "CPU × floor | CPU × safe floor |")
        out("|---|---:|---:|---|---:|---:|---:|---:|---:|---:|")
        for name in ("large", "many", "many-small", "many-dirs"):
            if name not in runs:
                continue
            m = self.manifest(name)
            first = True
            for tool in runs[name]:
                median = self.median(name, tool)
                cpu = self.median(name, tool, "cpu_seconds")
                label = (f"{name} | {m['pages']:,} | {m['bytes'] / 1e6:.1f}" if first
                         else " | | ")
                ratios = " | ".join(f"{self.ratio(name, tool, base):.2f}" for base in FLOORS)
                cpu_ratios = " | ".join(f"{self.ratio(name, tool, base, 'cpu_seconds'):.2f}"
                                        for base in FLOORS)
                out(f"| {label} | {tool} | {median:.3f} | {ratios} | {cpu:.2f} | {cpu_ratios} |")
                first = False
            # Tools timed in pairs with the run, below: one row each beside the floors.
            for key, tool, cpu_key, label in (("window_pairs", WINDOW, "window_cpu", WINDOW),
                                              ("undo_pairs", UNDO, "undo_cpu", UNDO + " of the run")):
                pairs = self.results.get(key)
                if not pairs or pairs["site"] != name:
                    continue
                median = statistics.median(pairs[tool])
                cpu = statistics.median(pairs[cpu_key])
                floors = [self.median(name, base) for base in FLOORS]
                cpu_floors = [self.median(name, base, "cpu_seconds") for base in FLOORS]
                out(f"|  | |  | {label} (in pairs, below) | {median:.3f} | "
                    f"{median / floors[0]:.2f} | {median / floors[1]:.2f} | {cpu:.2f} | "
                    f"{cpu / cpu_floors[0]:.2f} | {cpu / cpu_floors[1]:.2f} |")
        checks = []
        # The targets are set against the safe floor; on a disk file system, where the syncs
        # cost what they really cost, they are tighter than on tmpfs.
        tmpfs = self.tmpfs
        limits = {"large": 1.5 if tmpfs else 1.15, "many": 1.15}
        where = "tmpfs" if tmpfs else "disk"
        for name, limit in limits.items():
            if name in runs:
                ratio = self.ratio(name, "quelbo-batch", "io_floor --safe")
                checks.append((f"{name} ({where}): quelbo-batch ≤ {limit} × safe floor "
                               "(median of the rounds' ratios)", f"{ratio:.2f} ×", ratio <= limit))
                if CHECKED in runs[name]:
                    checked = self.ratio(name, CHECKED, "io_floor --safe")
                    over = self.ratio(name, "quelbo-batch", CHECKED)
                    checks.append((f"{name} ({where}): the checked floor, and quelbo-batch "
                                   "against it", f"{checked:.2f} × safe floor; quelbo-batch "
                                   f"{over:.2f} × checked floor", None))
        if "large" in runs and PREVIEW in runs["large"]:
            ratio = self.ratio("large", PREVIEW, "quelbo-batch")
            checks.append(("large: the preview (--dry-run) ≤ 1.0 × the run (median of the "
                           "rounds' ratios)", f"{ratio:.2f} ×", ratio <= 1.0))
        if "window_pairs" in self.results:
            pairs = self.results["window_pairs"]
            ratio = self.window_ratio()
            checks.append((f"{pairs['site']}: the window ≤ 1.05 × quelbo-batch (median of "
                           f"{len(pairs[WINDOW])} pairs run back to back)",
                           f"{ratio:.2f} × (window {statistics.median(pairs[WINDOW]):.3f} s, "
                           f"quelbo-batch {statistics.median(pairs['quelbo-batch']):.3f} s)",
                           ratio <= 1.05))
        if "window_startup" in self.results:
            startup = statistics.median(self.results["window_startup"])
            checks.append(("the window: start of the process to the first painted frame ≤ "
                           "150 ms", f"{startup * 1000:.0f} ms", startup <= 0.150))
        if "large" in runs:
            if "undo_pairs" in self.results:
                pairs = self.results["undo_pairs"]
                ratio = statistics.median(
                    u / r for u, r in zip(pairs[UNDO], pairs["quelbo-batch"]))
                cpu = statistics.median(
                    u / r for u, r in zip(pairs["undo_cpu"], pairs["run_cpu"]))
                checks.append((f"large: the undo ≤ 1.2 × the run it takes back (median of "
                               f"{len(pairs[UNDO])} pairs run back to back)",
                               f"{ratio:.2f} × (undo {statistics.median(pairs[UNDO]):.3f} s, "
                               f"run {statistics.median(pairs['quelbo-batch']):.3f} s; CPU time "
                               f"{cpu:.2f} ×)", ratio <= 1.2))
            for tool in YARDSTICKS:
                if tool in runs["large"]:
                    other = self.median("large", tool) / self.median("large", "quelbo-batch")
                    checks.append((f"large: quelbo-batch faster than {tool}",
                                   f"{tool} takes {other:.2f} × as long", other > 1))
        if "many" in runs and "sed -i" in runs["many"]:
            other = self.ratio("many", "sed -i", "quelbo-batch")
            checks.append(("many: quelbo-batch faster than sed -i",
                           f"sed -i takes {other:.2f} × as long", other > 1))
        if "many" in runs and "many-small" in runs:
            small, big = self.manifest("many-small")["pages"], self.manifest("many")["pages"]
            ratio = (self.median("many", "quelbo-batch") /
                     self.median("many-small", "quelbo-batch"))
            floor = self.median("many", "io_floor") / self.median("many-small", "io_floor")
            cpu = (self.median("many", "quelbo-batch", "cpu_seconds") /
                   self.median("many-small", "quelbo-batch", "cpu_seconds"))
            checks.append((f"scaling: {big:,} pages ≤ 11 × {small:,} pages",
                           f"{ratio:.2f} × (CPU time {cpu:.2f} ×; io_floor {floor:.2f} ×)",
                           ratio <= 11))
        if all(p in runs for p in PATHO):
            never = self.median("patho-never", "quelbo-batch")
            size = self.manifest("patho-never")["bytes"] / 1e6
            for name, label in (("patho-pathological", "1,000 a + b"),
                                ("patho-filter-defeated", "999 a + ba")):
                ratio = self.median(name, "quelbo-batch") / never
                checks.append((f"pathological: {size:.0f} MB of a, find {label} ≤ 3 × "
                               f"a text that never occurs ({never:.3f} s)",
                               f"{self.median(name, 'quelbo-batch'):.3f} s, {ratio:.2f} ×",
                               ratio <= 3))
        for name, memory in self.results["memory"].items():
            checks.append((f"peak memory on {name}: ≤ 2 × largest page "
                           f"({memory['largest_page'] / 1e6:.1f} MB) + 16 MiB = "
                           f"{memory['target_bytes'] / MIB:.1f} MiB",
                           f"{memory['peak_bytes'] / MIB:.1f} MiB",
                           memory["peak_bytes"] <= memory["target_bytes"]))
        if "one_pass" in self.results:
            out("")
            out("| site | pages processed | on their own bytes | in one pass |")
            out("|---|---:|---:|---:|")
            for name, share in self.results["one_pass"].items():
                out(f"| {name} | {share['processed']:,} | {share['on_bytes']:,} | "
                    f"{share['one_pass']:,} ({100 * share['one_pass'] / share['processed']:.1f} %)"
                    " |")
        out("")
        out("| target | measured | met |")
        out("|---|---|---|")
        for what, measured, met in checks:
            out(f"| {what} | {measured} | {'stated' if met is None else 'yes' if met else 'NO'} |")
        self.results["targets"] = [
            {"target": w, "measured": m, "met": ok} for w, m, ok in checks]
        return "\n".join(lines)

    def machine(self):
        model = "unknown"
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
        fs = subprocess.run(["df", "-T", self.work], capture_output=True, text=True)
        fs_type = fs.stdout.splitlines()[-1].split()[1] if fs.returncode == 0 else "unknown"

        def version(command):
            done = subprocess.run(command, capture_output=True, text=True)
            return (done.stdout or done.stderr).strip().splitlines()[0]

        perl = version(["perl", "-e", "print $^V"])
        return (f"CPU {model}, {os.cpu_count()} cores; kernel {platform.release()}; "
                f"work directory {self.work} on {fs_type}; page cache warm (not dropped); "
                f"{version(['sed', '--version'])}, perl {perl}, {version(['sd', '--version'])}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sites", required=True, help="directory of the generated sites")
    parser.add_argument("--work", required=True, help="where the fresh copies are made")
    parser.add_argument("--bin", required=True, help="quelbo-batch and io_floor")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--out", required=True, help="results.json and results.md go here")
    parser.add_argument("--label", default="", help="a line put above the table")
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)  # no stale page lists or copies
    os.makedirs(args.work)
    os.makedirs(args.out, exist_ok=True)
    bench = Bench(args)
    machine = bench.machine()
    started = time.time()
    plan = [("large", tool) for tool in TOOLS + [PREVIEW]] + [("many", tool) for tool in TOOLS]
    plan += [(name, tool) for name in ("many-small", "many-dirs")
             for tool in FLOORS + [CHECKED, "quelbo-batch"]]
    plan += [(name, "quelbo-batch") for name in PATHO]
    bench.time_all(plan, args.runs)
    if os.path.exists(os.path.join(bench.bin, "window_run")):
        bench.time_window_pairs("many", max(7, args.runs + 2))
    if os.path.exists(os.path.join(bench.bin, "window_startup")):
        bench.window_startup(11)
    bench.time_undo_pairs("large", max(11, 2 * args.runs + 1))
    bench.one_pass_shares(["large", "many", "many-small", "charsets"])
    bench.peak_memory("large")
    bench.peak_memory("huge")
    bench.peak_memory("huge-gbk")
    shutil.rmtree(args.work, ignore_errors=True)

    header = [args.label, machine,
              f"{args.runs} rounds, each running every site and tool pair once; medians; took "
              f"{(time.time() - started) / 60:.1f} min"]
    text = "\n".join(h for h in header if h) + "\n\n" + bench.report()
    print("\n" + text)
    with open(os.path.join(args.out, "results.md"), "w", encoding="utf-8") as f:
        f.write(text + "\n")
    bench.results["header"] = header
    with open(os.path.join(args.out, "results.json"), "w", encoding="utf-8") as f:
        json.dump(bench.results, f, indent=1, ensure_ascii=False)


if __name__ == "__main__":
    main()
