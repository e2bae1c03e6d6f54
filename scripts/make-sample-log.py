#!/usr/bin/env python3
"""Writes prober-style error logs: the bundled sample and large logs for benchmarks.

    make-sample-log.py OUT [--lines N | --entries E] [--distinct K] [--years Y]
                           [--bad-every B] [--seed S]

Every entry is a header line (weekday, month, day, time, year, then the
location after "FILE:") and a text line, with CR LF line ends as the prober's
control software writes them.

  --lines N      at most N lines (whole entries only); default 240
  --entries E    E entries (2 E lines), in place of --lines
  --distinct K   K distinct errors (text and location), the first ones most frequent
  --years Y      entries spread evenly over about Y years; without it, 5 to
                 900 seconds apart
  --bad-every B  after every B-th entry, one of the bad spots a log gathers,
                 in rotation: a blank pair, a header whose text line is empty,
                 a text of 5,000 characters, a text with Windows-1252 bytes
                 beyond ASCII. A run reads past each of them (the blank lines
                 are skipped in pairs), so the log still counts whole; a blank
                 pair or an empty text adds two lines that count as no entry
  --seed S       the random sequence; the same arguments give the same bytes

The log is written as it is made, so 10 M entries need no more memory than 10.
"""
import argparse
import datetime
import itertools
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


def bad_spot(kind, header):
    """The lines of the kind-th bad spot (in rotation) near an entry with this header."""
    kind %= 4
    if kind == 0:
        return ["", ""]
    if kind == 1:
        return [header, ""]
    if kind == 2:
        return [header, "Overlong text " + "x" * 4986]
    return [header, "Caf\xe9 probe card \u20ac limit \xb5m"]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out")
    parser.add_argument("--lines", type=int, default=240)
    parser.add_argument("--entries", type=int)
    parser.add_argument("--distinct", type=int, default=len(TEXTS))
    parser.add_argument("--years", type=float)
    parser.add_argument("--bad-every", type=int, default=0)
    parser.add_argument("--seed", type=int, default=40)
    args = parser.parse_args()
    entries = args.entries if args.entries is not None else args.lines // 2

    rng = random.Random(args.seed)
    errors = list(TEXTS)
    while len(errors) < args.distinct:
        i = len(errors)
        base = TEXTS[i % len(TEXTS)]
        errors.append((f"{base[0]} (station {i // len(TEXTS)})", base[1], base[2] + i))
    errors = errors[: args.distinct]
    weights = [1.0 / (1 + i) for i in range(len(errors))]
    cumulative = list(itertools.accumulate(weights))
    # Mean gap between entries over the years asked for, in seconds.
    mean_gap = args.years * 365.25 * 86400 / max(entries, 1) if args.years else None

    when = datetime.datetime(2007, 4, 17, 21, 40, 58)
    with open(args.out, "w", newline="", encoding="cp1252") as f:
        out = []
        for n in range(entries):
            text, source, line = rng.choices(errors, cum_weights=cumulative)[0]
            header = when.strftime("%a %b ") + f"{when.day:2d}" + when.strftime(" %H:%M:%S %Y")
            header = f"{header} FILE: {source} at LINE: {line}"
            out.append(f"{header}\r\n{text}\r\n")
            if args.bad_every and (n + 1) % args.bad_every == 0:
                out.append("".join(l + "\r\n" for l in bad_spot((n + 1) // args.bad_every - 1, header)))
            if mean_gap:
                when += datetime.timedelta(seconds=rng.uniform(0, 2 * mean_gap))
                when = when.replace(microsecond=0)
            else:
                when += datetime.timedelta(seconds=rng.randint(5, 900))
            if len(out) >= 10000:
                f.write("".join(out))
                out.clear()
        f.write("".join(out))

if __name__ == "__main__":
    main()
