#!/usr/bin/python3
# Writes sample.xls, the old-style workbook the batch reader tests read (needs python3-xlwt).
import datetime
import xlwt

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("收款")
dates = xlwt.easyxf(num_format_str="yyyy-mm-dd")
for col, text in enumerate(["账号", "日期", "户名", "金额"]):
    sheet.write(0, col, text)
sheet.write(1, 0, 6222020200112233445)
sheet.write(1, 1, datetime.date(2024, 3, 5), dates)
sheet.write(1, 2, "张三")
sheet.write(1, 3, 1234.5)
sheet.write(2, 2, "李四")
sheet.write(2, 3, 88)
book.add_sheet("其他").write(0, 0, "x")
book.save("sample.xls")
