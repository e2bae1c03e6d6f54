#!/usr/bin/python3
"""Reads a workbook back with xlrd and prints what a reader finds in it.

read_workbook.py cells FILE          the directory entries in use, then for each
                                     sheet its name and size, the default row
                                     height (twentieths of a point), every text
                                     cell, and font (weight, not xlrd's bold, which
                                     reads a flag BIFF8 leaves unused) and
                                     alignment of A1, C2, A4
read_workbook.py stream FILE OUT     the directory entries in use; the stream
                                     "Workbook" is copied to OUT

Anything xlrd's compound file reader warns about ends the script with an error.
"""
import io
import sys

import xlrd
import xlrd.compdoc


def read_compound(data):
    log = io.StringIO()
    doc = xlrd.compdoc.CompDoc(data, logfile=log)
    stream = doc.get_named_stream("Workbook")
    if log.getvalue():
        sys.exit("compound file warnings:\n" + log.getvalue())
    in_use = [d.name for d in doc.dirlist if d.etype != 0]
    print("entries\t" + "\t".join(in_use))
    return stream


def print_sheet(book, sheet):
    print("sheet\t%s\t%d\t%d" % (sheet.name, sheet.nrows, sheet.ncols))
    print("rowheight\t%d" % sheet.default_row_height)
    print("merged\t" + " ".join("%d:%d:%d:%d" % area for area in sheet.merged_cells))
    for row in range(sheet.nrows):
        for col in range(sheet.ncols):
            cell = sheet.cell(row, col)
            if cell.ctype == xlrd.XL_CELL_TEXT:
                print("cell\t%d\t%d\t%s" % (row, col, cell.value))
    for row, col in ((0, 0), (1, 2), (3, 0)):
        xf = book.xf_list[sheet.cell_xf_index(row, col)]
        font = book.font_list[xf.font_index]
        print("font\t%d\t%d\t%s\t%d\t%d\t%d\t%d\t%d\t%d" % (
            row, col, font.name, font.height, font.weight, font.italic, font.character_set,
            xf.alignment.hor_align, xf.alignment.vert_align))


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    mode, path = sys.argv[1], sys.argv[2]
    with open(path, "rb") as f:
        data = f.read()
    stream = read_compound(data)
    if mode == "stream":
        with open(sys.argv[3], "wb") as f:
            f.write(stream)
        return
    book = xlrd.open_workbook(file_contents=data, formatting_info=True, logfile=io.StringIO())
    for sheet in book.sheets():
        print_sheet(book, sheet)

if __name__ == "__main__":
    main()
