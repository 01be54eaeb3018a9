#!/usr/bin/env python3
"""The share of pages whose replacement rules quelbo-batch applies in one pass.

  bench/one_pass_share.py PROGRAM SITE_DIR...

Each SITE_DIR is an output directory of gen_site.py (site/ and config/). quelbo-batch runs with
--trace on a fresh copy, once per page suffix found in the site (the settings choose one suffix
per run), and its closing lines say how many pages it processed, how many it rewrote on their
own bytes and how many of those in one pass.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
from charset_share import SUFFIX_OPTIONS  # noqa: E402
from gen_site import CONFIG_DIR_NAME, INI_NAME  # noqa: E402

PROCESSED = re.compile(r"(\d+) pages processed")
ON_BYTES = re.compile(r"(\d+) pages? rewritten on their own bytes, (\d+) of them in one pass")


def suffixes(site):
    found = set()
    for _, _, names in os.walk(site):
        found |= {os.path.splitext(name)[1] for name in names}
    return sorted(found & SUFFIX_OPTIONS.keys())


def run(program, site_dir, suffix, work):
    """(processed, on their own bytes, in one pass) for one run on a fresh copy."""
    shutil.rmtree(work, ignore_errors=True)
    for part in ("site", "config"):
        shutil.copytree(os.path.join(site_dir, part), os.path.join(work, part), symlinks=True)
    ini = os.path.join(work, "config", CONFIG_DIR_NAME, INI_NAME)
    with open(ini, "rb") as f:
        text = f.read().decode("gbk")
    with open(ini, "wb") as f:
        f.write(text.replace("后缀=1\r\n", f"后缀={SUFFIX_OPTIONS[suffix]}\r\n").encode("gbk"))
    copy = os.path.join(work, "site", "quelbo-batch")
    shutil.copy2(program, copy)
    done = subprocess.run([copy, "--trace"], cwd=os.path.join(work, "site"),
                          env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), LC_ALL="C.UTF-8"),
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    processed, on_bytes = PROCESSED.search(done.stderr), ON_BYTES.search(done.stderr)
    if done.returncode not in (0, 1) or not processed or not on_bytes:
        sys.exit(f"{program} on {site_dir} failed ({done.returncode}):\n{done.stderr}")
    return int(processed.group(1)), int(on_bytes.group(1)), int(on_bytes.group(2))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("sites", nargs="+")
    args = parser.parse_args()
    print("| site | pages processed | on their own bytes | in one pass | share in one pass |")
    print("|---|---:|---:|---:|---:|")
    with tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None) as work:
        for site_dir in args.sites:
            totals = [0, 0, 0]
            for suffix in suffixes(os.path.join(site_dir, "site")):
                counts = run(args.program, site_dir, suffix, os.path.join(work, "copy"))
                totals = [a + b for a, b in zip(totals, counts)]
            processed, on_bytes, one_pass = totals
            share = 100 * one_pass / processed if processed else 0
            print(f"| {os.path.basename(os.path.normpath(site_dir))} | {processed:,} | "
                  f"{on_bytes:,} | {one_pass:,} | {share:.1f} % |")


if __name__ == "__main__":
    main()
