#!/usr/bin/env bash
# Makes the LibreOffice files of the import-dialog round trip kept in this folder,
# from the first units of the sample executable's units dump:
#   dialog/units.csv     opened with the CSV dialog's default separators (comma,
#                        semicolon and tab), saved as xlsx, saved back as CSV;
#   semicolon/units.csv  the same sheet saved as CSV with ";" between cells.
# Both are saved as UTF-8, whatever the locale.
#   make_dialog.sh [BUILD_DIR [OUTPUT_DIR]]
# BUILD_DIR holds korvane-tool and tools/korvane-samples (default: build/);
# OUTPUT_DIR gets dialog/ and semicolon/ (default: this folder).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../../../build}" && pwd)
output=${2:-$here}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/korvane-samples" "$work/game" >/dev/null
"$build/korvane-tool" --names "$work/game" dump "$work/game/SLPS_255.37" units -o "$work/all.csv"
mkdir -p "$work/csv" "$work/xlsx" "$output/dialog" "$output/semicolon"
head -n 31 "$work/all.csv" >"$work/csv/units.csv"

calc() {
  soffice -env:UserInstallation="file://$work/profile" --headless "$@" >/dev/null 2>&1
}
# Separators 44/59/9 (",", ";", Tab), text delimiter '"', UTF-8 (76), from line 1.
calc --infilter="CSV:44/59/9,34,76,1" --convert-to xlsx --outdir "$work/xlsx" "$work/csv/units.csv"
calc --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1" --outdir "$output/dialog" \
  "$work/xlsx/units.xlsx"
calc --convert-to "csv:Text - txt - csv (StarCalc):59,34,76,1" --outdir "$output/semicolon" \
  "$work/xlsx/units.xlsx"
echo "LibreOffice: $output/dialog/units.csv, $output/semicolon/units.csv"
