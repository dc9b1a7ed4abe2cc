#!/usr/bin/env bash
# Makes calc_block.tsv: a block of the units table as LibreOffice Calc gives cells
# out as text, tab-separated as on its clipboard. The sample executable (with
# ../../../tools/data/spreadsheets/hex_values.bps applied) is dumped, records 10 to
# 12 are edited (a name pointer, HP, EN, size, mobility, armour), Calc reads the CSV,
# saves it as xlsx and writes that back as tab-separated text, text cells unquoted
# as on its clipboard; the block is those three records, from 名称指针 to 大小.
#   make_calc_block.sh [BUILD_DIR]   (BUILD_DIR holds korvane-tool; default build/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../../../build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/korvane-samples" "$work/game" >/dev/null
tool() { "$build/korvane-tool" --names "$work/game" "$@"; }
tool apply "$work/game/SLPS_255.37" "$here/../../../tools/data/spreadsheets/hex_values.bps" >/dev/null
tool dump "$work/game/SLPS_255.37" units -o "$work/units.csv"

python3 - "$work/units.csv" <<'PY'
import csv, sys
path = sys.argv[1]
rows = list(csv.reader(open(path, encoding="utf-8", newline="")))
head = [name.split("（")[0] for name in rows[0]]
col = head.index
sizes = sorted({row[col("大小")] for row in rows[1:]})
rows[11][col("名称指针")] = "0x0023"
rows[11][col("HP")] = "4200"
rows[12][col("EN")] = "321"
rows[12][col("大小")] = next(s for s in sizes if s != rows[12][col("大小")])
rows[13][col("运动性")] = "99"
rows[13][col("装甲")] = "1234"
csv.writer(open(path, "w", encoding="utf-8", newline="")).writerows(rows)
PY

calc() { soffice -env:UserInstallation="file://$work/profile" --headless "$@" >/dev/null 2>&1; }
calc --infilter="CSV:44,34,76,1" --convert-to xlsx --outdir "$work/calc" "$work/units.csv"
calc --convert-to "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,true" --outdir "$work/text" "$work/calc/units.xlsx"
# Lines 12 to 14 are records 10 to 12; 名称指针 to 大小 are fields 4 to 10.
sed -n '12,14p' "$work/text/units.csv" | cut -f 4-10 > "$here/calc_block.tsv"
cat "$here/calc_block.tsv"
