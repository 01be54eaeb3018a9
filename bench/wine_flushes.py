#!/usr/bin/env python3
"""Sums up the flushes and renames of a quelbo-batch.exe run under Wine from an strace log.

Under Wine, FlushFileBuffers is an fsync() of the file and MoveFileExW a rename() made by the
Wine server. The log comes from
  strace -f -ttt -T --seccomp-bpf -e trace=fsync,rename,renameat,renameat2 -o LOG wine ...
Prints the number of flushes, the wall time during which at least one was in flight (what the
run waits for: the sum when they are made one at a time, less when they overlap), the time
inside them summed over the threads that made them, the number of renames with the time inside
them, and the longest stretch of renames with no flush among them (a batch's renames, the
commit's last part, which follows its flushes).

usage: wine_flushes.py STRACE_LOG
"""

import re
import sys

# "pid time call(args) = result <duration>", or the end of a call another thread interrupted:
# "pid time <... call resumed>...) = result <duration>", whose time is that of its end.
LINE = re.compile(r"^\d+ +(\d+\.\d+) (?:(\w+)\(|<\.\.\. (\w+) resumed>).*= (-?\d+).* <(\d+\.\d+)>$")


def main():
    calls = {"fsync": [], "rename": []}
    with open(sys.argv[1], errors="replace") as log:
        for line in log:
            match = LINE.match(line.rstrip())
            if not match or int(match[4]) < 0:
                continue
            time, whole, resumed, duration = float(match[1]), match[2], match[3], float(match[5])
            name = whole or resumed
            start = time if whole else time - duration
            calls["fsync" if name == "fsync" else "rename"].append((start, start + duration))
    flushes = sorted(calls["fsync"])
    in_flight, reach = 0.0, 0.0
    for begin, end in flushes:
        in_flight += max(0.0, end - max(begin, reach))
        reach = max(reach, end)
    summed = sum(end - begin for begin, end in flushes)
    renames = sorted(calls["rename"])
    renamed = sum(end - begin for begin, end in renames)
    stretches, first, count, next_flush = [], None, 0, 0
    for begin, end in renames:
        while next_flush < len(flushes) and flushes[next_flush][0] < begin:
            next_flush += 1
            if first is not None:
                stretches.append((count, last - first))
                first = None
        if first is None:
            first, count = begin, 0
        count, last = count + 1, end
    if first is not None:
        stretches.append((count, last - first))
    most, longest = max(stretches, default=(0, 0.0))
    print(f"{len(flushes)} flushes: {in_flight:.2f} s with one in flight, {summed:.2f} s summed "
          f"over the threads; {len(renames)} renames: {renamed:.2f} s inside them, the longest "
          f"stretch {most} renames in {longest:.2f} s")


if __name__ == "__main__":
    main()
