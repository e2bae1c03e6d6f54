#!/usr/bin/env python3
"""Writes prober-style error logs: the bundled sample and large logs for benchmarks.

    make-sample-log.py OUT [--lines N] [--distinct K] [--seed S]

Every entry is a header line (weekday, month, day, time, year, then the
location after "FILE:") and a text line, with CR LF line ends as the prober's
control software writes them.
"""
import argparse
import datetime
import random

TEXTS = [
    ("Wafer loading error - wafer not sensed on chuck pins", "CVT.c", 3580),
    ("Prealign failure - flat not found", "PreAlign.c", 912),
    ("Probe card contact check failed", "ProbeCtl.c", 2210),
    ("Cassette slot map error - double slotted wafer", "Cassette.c", 455),
    ("Vacuum lost on chuck during index", "Chuck.c", 1777),
    ("Autoalign could not locate target die", "Align.c", 3021),
    ("GPIB timeout waiting for tester handshake", "Gpib.c", 640),
    ("Z height limit exceeded", "ZAxis.c", 118),
    ("Ink dot not detected after inking", "Inker.c", 87),
    ("Chuck temperature out of tolerance", "Thermal.c", 1402),
    ("Wafer loading error - wafer not sensed on chuck pins", "Loader.c", 204),
    ("Edge sensor blocked at load station", "Loader.c", 388),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--lines", type=int, default=240)
    parser.add_argument("--distinct", type=int, default=len(TEXTS))
    parser.add_argument("--seed", type=int, default=40)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    errors = list(TEXTS)
    while len(errors) < args.distinct:
        i = len(errors)
        base = TEXTS[i % len(TEXTS)]
        errors.append((f"{base[0]} (station {i // len(TEXTS)})", base[1], base[2] + i))
    errors = errors[: args.distinct]
    weights = [1.0 / (1 + i) for i in range(len(errors))]

    when = datetime.datetime(2007, 4, 17, 21, 40, 58)
    lines = []
    while len(lines) + 2 <= args.lines:
        text, source, line = rng.choices(errors, weights)[0]
        header = when.strftime("%a %b ") + f"{when.day:2d}" + when.strftime(" %H:%M:%S %Y")
        lines.append(f"{header} FILE: {source} at LINE: {line}")
        lines.append(text)
        when += datetime.timedelta(seconds=rng.randint(5, 900))
    with open(args.out, "w", newline="") as f:
        for l in lines:
            f.write(l + "\r\n")


if __name__ == "__main__":
    main()
