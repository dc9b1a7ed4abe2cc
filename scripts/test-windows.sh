#!/usr/bin/env bash
# Tests the Windows build under Wine (wine64, Xvfb for the windows):
#   1. the cross-built test programs that apply to Windows, on the offscreen
#      platform, each a Windows program of its own;
#   2. end to end, with the programs from the unpacked zip as a user gets them:
#      korvane-samples.exe writes the same sample files as the Linux build,
#      korvane-tool.exe dumps every table byte for byte as the Linux build does,
#      an import and a BPS apply change exactly the bytes they change on Linux,
#      and korvane-screenshots.exe draws Form1 and Form2 on the Windows platform
#      (the pictures land in build-windows/screenshots/ to be looked at).
#
# Left out, and why:
#   - the disc image tests (tst_disc_image, tst_image_operation, tst_image_commands,
#     tst_form1_image, tst_form2_image): they make their images with the Linux
#     programs xorriso and genisoimage, which a Windows program cannot start;
#   - tst_disc_image_fuzz: it needs the sanitizers, which MinGW does not have;
#   - tst_large_images: it forks and relies on sparse files, which NTFS files are not;
#   - tst_spreadsheet_import: it starts LibreOffice and Gnumeric when present and
#     otherwise repeats what the tool tests cover;
#   - tst_screenshots: it compares renderings with the Linux fonts.
#
# Needs the cross-built Qt in the cache (scripts/windows.sh builds it once).
set -euo pipefail
source "$(dirname "$0")/windows-env.sh"

tests=(tst_regular_file tst_module1 tst_name_list tst_change_history tst_edit tst_bps tst_rollback_journal
  tst_field_codec tst_record_binding tst_filter_box tst_table_catalog tst_table_grid_model
  tst_unit_lists tst_stage_blocks tst_sample_data tst_sample_tables
  tst_korvane_tool tst_tool_formats tst_korvane_tool_cli tst_patch_commands tst_concurrent_writers
  tst_window_dump tst_application_setup tst_form1 tst_history_window tst_table_grid_window
  tst_coherent_windows tst_form2_unit_page tst_form2_weapon_page tst_form2_commands
  tst_form3_record tst_form3_clipboard tst_form4 tst_form5 tst_form6 tst_form7 tst_form8 tst_form9
  tst_form10 tst_form11 tst_form12 tst_form13 tst_form14 tst_growth_tables)

scripts/windows-package.sh
echo "== 编译 Windows 版的测试程序和截图程序（每行是一个编译步骤）……"
cmake --build "$build" --target korvane-screenshots "${tests[@]}"
echo "== 编译 Linux 版的 korvane-tool 和 korvane-samples，用来比较……"
scripts/build.sh korvane-tool korvane-samples >/dev/null

export WINEPREFIX=${KORVANE_WINEPREFIX:-/tmp/korvane-wine-$(id -u)} WINEDEBUG=-all
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
command -v wine64 >/dev/null && wine=wine64
command -v wineserver >/dev/null && wineserver=wineserver
work=$(mktemp -d)
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
echo "== 准备 Wine 环境：$WINEPREFIX（第一次约一分钟）"
"$wine" cmd /c exit >/dev/null 2>&1 || true
"$wineserver" -p 2>/dev/null || true # keeps it running between the programs
# Wine keeps the Linux QT_ variables from Windows programs (they are meant for the
# Linux Qt); WINEQT_QPA_PLATFORM reaches them as QT_QPA_PLATFORM.
# Windows paths of Linux folders, for arguments: Wine shows / as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

failed=()
echo "== 在 Wine 中运行 Windows 版测试程序（屏幕外平台）"
for test in "${tests[@]}"; do
  program=$(find "$build/tests" -name "$test.exe" | head -n1)
  log=$work/$test.log
  # Qt's Chinese translations lie beside the programs in the zip; the test
  # programs take Debian's copy of the same files. (qt.conf is read as an INI
  # file, where a backslash escapes: its paths keep the forward slashes.)
  printf '[Paths]\r\nPrefix = Z:%s\r\nTranslations = Z:%s\r\n' "$prefix" \
    /usr/share/qt6/translations >"$(dirname "$program")/qt.conf"
  if (cd "$(dirname "$program")" &&
    WINEPATH="$(winpath "$prefix/bin");$(winpath "$mingw_gcc");$(winpath "$mingw_lib")" \
      WINEQT_QPA_PLATFORM=offscreen timeout 600 "$wine" "$program" -o "$(winpath "$log"),txt" \
      >"$log.console" 2>&1); then
    echo "   通过 $test（$(grep -o 'Totals: .*' "$log" | head -n1)）"
    { grep -h '^SKIP' "$log" || true; } | sed 's/^SKIP *: */     跳过 /'
  else
    echo "   失败 $test："
    { grep -hE '^(FAIL|   Loc|QFATAL|QWARN)' "$log" "$log.console" 2>/dev/null || true; } |
      head -n 20 | sed 's/^/     /'
    failed+=("$test")
  fi
done

echo "== 端到端：Linux 版与 Windows 版（解压出的压缩包里的程序）处理同样的文件"
# The zip itself, unpacked as a user unpacks it: what it lacks, these runs lack.
python3 -m zipfile -e "dist/korvane-$version-windows-x64.zip" "$work/unzipped"
folder=$work/unzipped/korvane-$version-windows-x64
linux=$work/linux windows=$work/windows
run_windows() { (cd "$work" && "$wine" "$folder/$1" "${@:2}"); }
build/tools/korvane-samples "$linux" >/dev/null
run_windows korvane-samples.exe "$(winpath "$windows")" >/dev/null
diff -r "$linux" "$windows" >/dev/null ||
  { echo "   korvane-samples.exe 写出的文件与 Linux 版不同" >&2; failed+=(samples); }

compare() { # what, Linux file, Windows file
  if cmp -s "$2" "$3"; then
    echo "   相同：$1"
  else
    echo "   不同：$1（$2 与 $3）" >&2
    failed+=("$1")
  fi
}

# "dump FILE all" writes each table of the file as a file of its own.
for file in SLPS_255.37 stage.bin; do
  for format in csv json; do
    build/korvane-tool dump "$linux/$file" all --format "$format" --names "$linux" \
      -o "$work/dump-linux-$file-$format" >/dev/null 2>&1
    run_windows korvane-tool.exe dump "$(winpath "$windows/$file")" all --format "$format" \
      --names "$(winpath "$windows")" -o "$(winpath "$work/dump-windows-$file-$format")" >/dev/null 2>&1
    for dump in "$work/dump-linux-$file-$format"/*; do
      compare "dump $file $(basename "$dump")" "$dump" "$work/dump-windows-$file-$format/$(basename "$dump")"
    done
  done
done
dumped=$(ls "$work"/dump-linux-*-csv | grep -c '\.csv$' || true)
[ "$dumped" -eq 14 ] || { echo "   导出了 $dumped 个表格，应为 14 个" >&2; failed+=(tables); }

# The README's worked example: unit 12's HP becomes 4200 through an import.
cp "$linux/SLPS_255.37" "$work/original.37"
csv=$work/dump-linux-SLPS_255.37-csv/units.csv
# HP is the fifth cell, and no cell before it holds a comma.
sed -E 's/^(12,[^,]*,[^,]*,[^,]*,)[^,]*/\14200/' "$csv" >"$work/units-edited.csv"
build/korvane-tool import "$linux/SLPS_255.37" units "$work/units-edited.csv" --names "$linux" >/dev/null
run_windows korvane-tool.exe import "$(winpath "$windows/SLPS_255.37")" units \
  "$(winpath "$work/units-edited.csv")" --names "$(winpath "$windows")" >/dev/null
compare "import units（机体0012 的 HP）" "$linux/SLPS_255.37" "$windows/SLPS_255.37"
cmp -s "$work/original.37" "$linux/SLPS_255.37" && { echo "   导入没有改变文件" >&2; failed+=(import); }

# A BPS patch of that change, made by each build and applied by each to the original.
build/korvane-tool patch "$work/original.37" "$linux/SLPS_255.37" -o "$work/linux.bps" >/dev/null
run_windows korvane-tool.exe patch "$(winpath "$work/original.37")" "$(winpath "$windows/SLPS_255.37")" \
  -o "$(winpath "$work/windows.bps")" >/dev/null
compare "patch（BPS 补丁）" "$work/linux.bps" "$work/windows.bps"
cp "$work/original.37" "$work/applied-linux.37"
cp "$work/original.37" "$work/applied-windows.37"
build/korvane-tool apply "$work/applied-linux.37" "$work/linux.bps" >/dev/null
run_windows korvane-tool.exe apply "$(winpath "$work/applied-windows.37")" "$(winpath "$work/linux.bps")" \
  >/dev/null
compare "apply（BPS 补丁）" "$work/applied-linux.37" "$work/applied-windows.37"
compare "apply 的结果与导入的结果" "$linux/SLPS_255.37" "$work/applied-windows.37"

# The Windows platform, with FreeType drawing the text: under Wine, Qt's
# GDI font engine leaves every line edit that never had the focus empty (not so
# on Windows itself). The Chinese comes from the Linux CJK fonts Wine finds.
echo "== 在 Wine 和 Xvfb 中用 Windows 平台画出窗口：$build/screenshots/"
rm -rf "$build/screenshots"
mkdir -p "$build/screenshots"
# The Wine session kept running so far has no display: a window program joining
# it can hang, so the pictures are drawn in a session of their own under Xvfb.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
shots=$work/shots
screenshots_folder=$(dirname "$(find "$build/tools" -name korvane-screenshots.exe | head -n1)")
if (cd "$screenshots_folder" &&
  WINEPATH="$(winpath "$prefix/bin");$(winpath "$mingw_gcc");$(winpath "$mingw_lib")" \
    WINEQT_QPA_PLATFORM=windows:fontengine=freetype timeout 600 \
    xvfb-run -a -s "-screen 0 1600x1200x24" "$wine" korvane-screenshots.exe "$(winpath "$shots")" >"$work/screenshots.log" 2>&1); then
  for form in Form1 Form2; do
    if [ -s "$shots/$form.png" ]; then
      cp "$shots/$form.png" "$build/screenshots/"
      echo "   $build/screenshots/$form.png"
    else
      echo "   没有画出 $form" >&2
      failed+=("$form")
    fi
  done
else
  cat "$work/screenshots.log" >&2
  failed+=(screenshots)
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "== Windows 测试失败：${failed[*]}" >&2
  exit 1
fi
echo "== Windows 测试全部通过。请看一眼 $build/screenshots/ 中的图：中文应当正常显示。"
