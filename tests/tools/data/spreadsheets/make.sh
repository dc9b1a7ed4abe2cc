#!/usr/bin/env bash
# Makes the spreadsheet round trips kept in this folder: every table of the sample
# game files (the executable with hex_values.bps applied, so that the unit table
# holds name pointers such as 96E2, 16E2, 0023 and the settings 123456E2) dumped by
# korvane-tool, read by LibreOffice Calc and by Gnumeric, saved as xlsx and saved
# back as CSV, each with its default settings.
#   make.sh [BUILD_DIR [OUTPUT_DIR]]
# BUILD_DIR holds korvane-tool and tools/korvane-samples (default: build/);
# OUTPUT_DIR gets libreoffice/ and gnumeric/ (default: this folder).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../../../build}" && pwd)
output=${2:-$here}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/korvane-samples" "$work/game" >/dev/null
tool() { "$build/korvane-tool" --names "$work/game" "$@"; }
tool apply "$work/game/SLPS_255.37" "$here/hex_values.bps" >/dev/null
tool dump "$work/game/SLPS_255.37" all -o "$work/dump"
tool dump "$work/game/stage.bin" all -o "$work/dump"

mkdir -p "$work/calc" "$work/gnumeric" "$output/libreoffice" "$output/gnumeric"
calc() {
  soffice -env:UserInstallation="file://$work/profile" --headless "$@" >/dev/null 2>&1
}
calc --convert-to xlsx --outdir "$work/calc" "$work"/dump/*.csv
calc --convert-to csv --outdir "$output/libreoffice" "$work"/calc/*.xlsx
for csv in "$work"/dump/*.csv; do
  name=$(basename "$csv" .csv)
  ssconvert "$csv" "$work/gnumeric/$name.xlsx" 2>/dev/null
  ssconvert "$work/gnumeric/$name.xlsx" "$output/gnumeric/$name.csv" 2>/dev/null
done
echo "LibreOffice Calc: $(ls "$output/libreoffice" | wc -l) 个表格；Gnumeric: $(ls "$output/gnumeric" | wc -l) 个表格。"
