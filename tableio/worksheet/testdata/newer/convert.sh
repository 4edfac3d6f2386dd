#!/bin/sh
# Converts the openpyxl workbooks with LibreOffice headless (libreoffice-calc-nogui).
set -e
cd "$(dirname "$0")"
/usr/bin/python3 make_workbooks.py
tmp=$(mktemp -d)
for f in openpyxl_types openpyxl_1904; do
  soffice --headless -env:UserInstallation=file://$tmp/profile --convert-to xlsx:"Calc MS Excel 2007 XML" --outdir "$tmp/xlsx" $f.xlsx
  soffice --headless -env:UserInstallation=file://$tmp/profile --convert-to xls:"MS Excel 97" --outdir "$tmp/xls" $f.xlsx
  cp "$tmp/xlsx/$f.xlsx" "lo_${f#openpyxl_}.xlsx"
  cp "$tmp/xls/$f.xls" "lo_${f#openpyxl_}.xls"
done
rm -rf "$tmp"
