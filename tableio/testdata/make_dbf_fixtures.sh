#!/bin/sh
# Rebuilds the dBASE fixtures written by third-party programs: python3-dbf
# and LibreOffice headless (with libreoffice-base-drivers). Neither is needed
# to run the tests.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 - <<'PY'
import datetime
import dbf
t = dbf.Table("python_dbf.dbf", "NAME C(10); QTY N(10,2); WHEN D; OK L", dbf_type="db3", codepage="cp1252")
t.open(dbf.READ_WRITE)
t.append(("Alpha", 12.5, datetime.date(2020, 1, 31), True))
t.append(("Beta", -3, None, False))
t.append(("Gamma", 0.25, datetime.date(1999, 12, 31), None))
t.close()
PY
printf 'NAME,QTY,WHEN\nAlpha,12.5,2020-01-31\nBeta,-3,\nGamma,0.25,1999-12-31\n' > "$tmp/libreoffice.csv"
soffice -env:UserInstallation=file://$tmp/profile --headless --convert-to dbf --outdir "$tmp" "$tmp/libreoffice.csv"
cp "$tmp/libreoffice.dbf" libreoffice.dbf
# Accented text in Windows-1252 (encoding 1) and in code page 850 (encoding 4);
# LibreOffice leaves the header's language-driver byte unmarked.
printf 'NAME,QTY\nBrent Cr\303\274de \303\251\342\202\254,12.5\nPlain,-3\n' > "$tmp/accents.csv"
for encoding in 1 4; do
  soffice -env:UserInstallation=file://$tmp/profile --headless --infilter="CSV:44,34,76,1" \
    --convert-to "dbf:dBase:$encoding" --outdir "$tmp/$encoding" "$tmp/accents.csv"
done
cp "$tmp/1/accents.dbf" libreoffice_cp1252.dbf
cp "$tmp/4/accents.dbf" libreoffice_cp850.dbf
