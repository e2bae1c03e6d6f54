#!/usr/bin/env python3
"""Prints what openpyxl reads from an .xlsx, one line per fact, for the tests:
sheet NAME FREEZE FILTER TITLE_ROW_HEIGHT, width COLUMN WIDTH, and one line per
cell: cell ROW COLUMN s HEX_OF_UTF8 | n NUMBER FORMAT | d ISO_DATE_TIME FORMAT."""
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    print("sheet", sheet.title, sheet.freeze_panes, sheet.auto_filter.ref,
          sheet.row_dimensions[1].height, sep="\t")
    for letter, dimension in sorted(sheet.column_dimensions.items()):
        print("width", letter, dimension.width, sep="\t")
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            if cell.is_date:
                print("cell", cell.row, cell.column, "d",
                      cell.value.isoformat(timespec="milliseconds"), cell.number_format, sep="\t")
            elif isinstance(cell.value, str):
                print("cell", cell.row, cell.column, "s", cell.value.encode("utf-8").hex(), sep="\t")
            else:
                print("cell", cell.row, cell.column, "n", repr(cell.value), cell.number_format, sep="\t")
