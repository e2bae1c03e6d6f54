#!/usr/bin/env python3
"""Compares what two runs of lognex-report left in two folders.

Usage: compare-report-outputs.py LINUX_DIR WINDOWS_DIR [WORK_DIR]

Each folder may hold summary.txt, tree.txt, workbook.xls, timeline.csv,
stdout.txt, stderr.txt and rc.txt. Texts must agree line by line once dates
are read as values: the two platforms spell a locale's dates differently
("04/17/07 21:40:58" in the C locale, "4/17/2007 9:40:58 PM" in Windows'
English one). Paths in messages are compared after their separators and
texts read as Windows-1252 on both sides (the Linux run's locale is C, so
its messages quote paths in Windows-1252 too).
Prints each difference and exits 1 when there is one.
"""
import os
import re
import sys

import xlrd

DATE_TIME = re.compile(
    r"(?P<m>\d{1,2})/(?P<d>\d{1,2})/(?P<y>\d{4}|\d{2})"
    r"(?: (?P<H>\d{1,2}):(?P<M>\d{2}):(?P<S>\d{2})(?: (?P<p>[AP]M))?)?")


def canonical_dates(text):
    def value(match):
        year = int(match["y"])
        if year < 100:
            year += 2000 if year < 70 else 1900
        result = "%04d-%02d-%02d" % (year, int(match["m"]), int(match["d"]))
        if match["H"] is not None:
            hour = int(match["H"])
            if match["p"] == "PM" and hour < 12:
                hour += 12
            if match["p"] == "AM" and hour == 12:
                hour = 0
            result += " %02d:%s:%s" % (hour, match["M"], match["S"])
        return result
    return DATE_TIME.sub(value, text)


def read_text(path, encoding):
    with open(path, "rb") as f:
        return f.read().decode(encoding, errors="replace")


def normal(text, work):
    """Dates as values, separators as '/', wine's drive Z: (the Unix root)
    dropped, and WORK_DIR as <dir>."""
    text = re.sub(r"\b[Zz]:/", "/", text.replace("\\", "/"))
    if work:
        text = text.replace(work, "<dir>")
    return canonical_dates(text)


def workbook_texts(path):
    book = xlrd.open_workbook(path)
    lines = []
    for sheet in book.sheets():
        for r in range(sheet.nrows):
            lines.append("\t".join(str(sheet.cell_value(r, c)) for c in range(sheet.ncols)))
    return "\n".join(lines)


def main():
    linux_dir, windows_dir = sys.argv[1], sys.argv[2]
    work = sys.argv[3] if len(sys.argv) > 3 else ""
    problems = []
    names = sorted(set(os.listdir(linux_dir)) | set(os.listdir(windows_dir)))
    for name in names:
        a, b = os.path.join(linux_dir, name), os.path.join(windows_dir, name)
        if not (os.path.exists(a) and os.path.exists(b)):
            problems.append("%s: only on %s" % (name, "Linux" if os.path.exists(a) else "Windows"))
            continue
        if name.endswith(".xls"):
            left, right = workbook_texts(a), workbook_texts(b)
        else:
            left, right = read_text(a, "cp1252"), read_text(b, "cp1252")
        if name == "stderr.txt":  # the console's line ends: text mode on Windows
            right = right.replace("\r\n", "\n")
        left, right = normal(left, work), normal(right, work)
        if left != right:
            left_lines, right_lines = left.split("\n"), right.split("\n")
            for i in range(max(len(left_lines), len(right_lines))):
                l = left_lines[i] if i < len(left_lines) else "<none>"
                r = right_lines[i] if i < len(right_lines) else "<none>"
                if l != r:
                    problems.append("%s line %d:\n  Linux:   %r\n  Windows: %r" % (name, i + 1, l, r))
                    break
    for p in problems:
        print("compare-report-outputs: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
