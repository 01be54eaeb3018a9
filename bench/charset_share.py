#!/usr/bin/env python3
"""Runs quelbo-batch with charset detection on the charset corpus and counts, per page shape,
the pages it processed, those it left untouched and reported, and those it damaged.

  bench/gen_site.py charsets --out DIR --pages 300 --page-bytes 6000
  bench/charset_share.py [--convert] DIR build-bench/bin/quelbo-batch [ANOTHER/quelbo-batch ...]

Each program runs on fresh copies of the site and its configuration, once per page suffix in
the corpus (the settings choose one suffix per run). A page counts as processed correctly when
it still decodes in its true encoding, keeps its byte-order mark, and holds its title and the
new footer's Chinese text: a page read in the wrong encoding gets the footer in the wrong one.

With --convert the run reads every page in GBK and writes it in UTF-8 (detection off), as a
site moved to UTF-8 is: a GBK page is processed correctly when it decodes as UTF-8, holds its
title and the footer, and every label its charset and XML declarations name is one of UTF-8
(else it is counted as mislabelled); a UTF-8 page is handled correctly only by being left
untouched and reported, since read as GBK it would be garbled.
"""

import argparse
import collections
import json
import os
import re
import shutil
import subprocess
import tempfile

from gen_site import CONFIG_DIR_NAME, FOOTER_NEW, INI_NAME

SUFFIX_OPTIONS = {".htm": "1", ".shtml": "5", ".asp": "6"}
UTF8_LABELS = {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8",
               "x-unicode20utf8"}
PLACE = re.compile(r"（第\d+行，字节偏移\d+）")  # reasons counted alike wherever they arise
DECLARED_LABEL = re.compile(rb"(?i)(?:charset|encoding)[ \t]*=[ \t]*[\"']?([A-Za-z0-9_.:-]*)")


def run_once(corpus, batch, suffix, work, convert):
    """Runs `batch` on a fresh copy for pages ending in `suffix`; returns the copy's site."""
    if os.path.exists(work):
        shutil.rmtree(work)
    site, config = os.path.join(work, "site"), os.path.join(work, "config")
    shutil.copytree(os.path.join(corpus, "site"), site)
    shutil.copytree(os.path.join(corpus, "config"), config)
    ini = os.path.join(config, CONFIG_DIR_NAME, INI_NAME)
    with open(ini, "rb") as f:
        text = f.read().decode("gbk")
    with open(ini, "wb") as f:
        text = text.replace("后缀=1\r\n", f"后缀={SUFFIX_OPTIONS[suffix]}\r\n")
        if convert:
            text = text.replace("UTF输出=0\r\n", "UTF输出=1\r\n")
            text = text.replace("自动识别=1\r\n", "自动识别=0\r\n")
        f.write(text.encode("gbk"))
    program = os.path.join(site, "quelbo-batch")
    shutil.copy2(batch, program)
    env = dict(os.environ, XDG_CONFIG_HOME=config)
    done = subprocess.run([program], cwd=site, env=env, capture_output=True, text=True)
    if done.returncode not in (0, 1):
        raise SystemExit(f"{batch} failed with status {done.returncode}:\n{done.stderr}")
    skipped = {}
    for line in done.stderr.splitlines():
        if line.startswith("skipped: "):
            entry, _, reason = line[len("skipped: "):].partition(": ")
            skipped[entry] = reason
    return site, skipped


def outcome(path, encoding, title, convert):
    """"processed", "mislabelled" or "damaged", for a page written in `encoding`."""
    with open(path, "rb") as f:
        data = f.read()
    if encoding == "utf-8" and data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    try:
        text = data.decode(encoding)
    except UnicodeDecodeError:
        return "damaged"
    if title not in text or FOOTER_NEW.split("\r\n")[1] not in text:
        return "damaged"
    labels = {m.group(1).decode("ascii").lower() for m in DECLARED_LABEL.finditer(data)}
    if convert and not labels <= UTF8_LABELS:
        return "mislabelled"
    return "processed"


def measure(corpus, batch, pages, convert):
    counts = collections.defaultdict(collections.Counter)
    reasons = collections.Counter()
    with tempfile.TemporaryDirectory() as work:
        for suffix in sorted({os.path.splitext(page["entry"])[1] for page in pages}):
            site, skipped = run_once(corpus, batch, suffix, os.path.join(work, "copy"), convert)
            for page in pages:
                if not page["entry"].endswith(suffix):
                    continue
                tally = counts[page["shape"]]
                tally["pages"] += 1
                if page["entry"] in skipped:
                    tally["skipped"] += 1
                    reasons[PLACE.sub("（…）", skipped[page["entry"]])] += 1
                else:
                    written = "utf-8" if convert else page["encoding"]
                    tally[outcome(os.path.join(site, page["entry"]), written, page["title"],
                                  convert)] += 1
    return counts, reasons


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("corpus", help="output directory of gen_site.py charsets")
    parser.add_argument("batch", nargs="+", help="quelbo-batch programs to compare")
    parser.add_argument("--convert", action="store_true",
                        help="read every page in GBK and write it in UTF-8, detection off")
    args = parser.parse_args()
    with open(os.path.join(args.corpus, "manifest.json"), encoding="utf-8") as f:
        pages = json.load(f)["page_list"]
    for batch in args.batch:
        counts, reasons = measure(args.corpus, os.path.abspath(batch), pages, args.convert)
        print(f"\n{batch}" + (" (GBK read, UTF-8 written)" if args.convert else "") + "\n")
        print("| shape | pages | processed | skipped | mislabelled | damaged |")
        print("|---|---:|---:|---:|---:|---:|")
        total = collections.Counter()
        for shape in sorted(counts):
            tally = counts[shape]
            total.update(tally)
            print(f"| {shape} | {tally['pages']} | {tally['processed']} | {tally['skipped']} "
                  f"| {tally['mislabelled']} | {tally['damaged']} |")
        share = 100.0 * total["processed"] / max(total["pages"], 1)
        print(f"| all | {total['pages']} | {total['processed']} ({share:.0f} %) "
              f"| {total['skipped']} | {total['mislabelled']} | {total['damaged']} |")
        for reason, count in reasons.most_common():
            print(f"  skipped {count}: {reason}")


if __name__ == "__main__":
    main()
