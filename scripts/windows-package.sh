#!/usr/bin/env bash
# Builds Korvane for Windows x64 with the Qt that scripts/windows.sh
# cross-built into its cache, in ./build-windows, and packs
# dist/korvane-<version>-windows-x64.zip: korvane.exe, korvane-tool.exe,
# korvane-samples.exe, the Qt and MinGW runtime DLLs, the Windows platform plugin,
# the style plugin, Qt's Chinese translations, LICENSE.txt and 使用说明.txt. The
# name lists go beside korvane.exe (and its data folder), as on Linux.
#
# Run scripts/windows.sh, which builds the dependencies first when they are missing.
set -euo pipefail
source "$(dirname "$0")/windows-env.sh"
name=korvane-$version-windows-x64
zip=dist/$name.zip

if [ ! -e "$cache/qt.done" ]; then
  echo "缓存 $cache 中还没有交叉编译好的 Qt：请运行 scripts/windows.sh。" >&2
  exit 1
fi

# Nothing is taken from the build machine's own libraries through pkg-config.
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "== 配置 Windows 版（CMake，用缓存中的 Qt 交叉编译）……"
mkdir -p "$build"
"$prefix/bin/qt-cmake" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
echo "== 编译 Windows 版的 korvane.exe、korvane-tool.exe、korvane-samples.exe（每行是一个编译步骤）……"
cmake --build "$build" --target korvane korvane-tool korvane-samples

echo "== 组装 $zip ……"
stage=$build/dist/$name
rm -rf "$build/dist"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations" "$stage/data" dist
cp "$build/korvane.exe" "$build/korvane-tool.exe" "$build/tools/korvane-samples.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
cp "$prefix/bin/Qt6Core.dll" "$prefix/bin/Qt6Gui.dll" "$prefix/bin/Qt6Widgets.dll" "$stage/"
cp "$prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$prefix"/plugins/styles/*.dll "$stage/styles/"
cp "$mingw_gcc/libstdc++-6.dll" "$mingw_gcc/libgcc_s_seh-1.dll" "$mingw_lib/libwinpthread-1.dll" "$stage/"
# Qt's Chinese texts for its own dialogs and buttons (打开, 取消, 确定): Debian's
# translation files are the same on every system.
cp /usr/share/qt6/translations/qtbase_zh_CN.qm /usr/share/qt6/translations/qtbase_zh_TW.qm \
  "$stage/translations/"
# Qt finds its plugins and translations relative to the program's own folder.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$stage/qt.conf"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
{
  printf '\xEF\xBB\xBF'
  sed 's/$/\r/' <<EOF
Korvane 静态修改器 $version（Windows x64）
==========================================

Korvane 可以直接修改游戏（光盘编号 SLPS_255.37）的主程序 SLPS_255.37 和关卡文件 stage.bin
中的表格。每次“保存”都直接写入打开的文件，请先备份游戏文件。

安装
----
把整个压缩包解压到一个文件夹（例如 D:\\Korvane），双击 korvane.exe 启动。
不需要安装，也不写注册表；删除这个文件夹就是卸载。
korvane.exe 旁边的 DLL 和 platforms、styles、translations 文件夹都是程序需要的，请不要删除。

Windows 提示“Windows 已保护你的电脑”
------------------------------------
这个程序没有数字签名，第一次运行时 Windows SmartScreen 可能这样提示。
确认压缩包来自可信的地方后，点“更多信息”，再点“仍要运行”。
有的杀毒软件也会提示未知程序，可以把这个文件夹加入信任列表。

名称列表放在哪里
----------------
名称列表是 GBK 编码的文本文件，放在 korvane.exe 所在的文件夹里（程序的 DataDir）：

  unit.txt、ts.txt、pilot.txt                        放在 korvane.exe 旁边
  zcoffset.txt、zcstage.txt、jqoffset.txt、jqstage.txt  放在旁边的 data 文件夹里

压缩包不带名称列表。没有名称列表时窗口照样可以编辑，缺少的名称显示为编号。
想先试用，可以在这个文件夹里打开命令提示符，运行

  korvane-samples.exe --lists-only .

放入一套占位名称列表（“机体0000”之类），或者

  korvane-samples.exe --game-only 示例

在“示例”文件夹里写出一对合成的 SLPS_255.37 和 stage.bin。
升级到新版本时，把新压缩包的内容解压到一个新文件夹，再把自己的名称列表复制过去。

命令行工具
----------
korvane-tool.exe 在命令提示符或 PowerShell 中使用，例如

  korvane-tool.exe dump SLPS_255.37 units -o units.csv
  korvane-tool.exe import SLPS_255.37 units units.csv
  korvane-tool.exe apply SLPS_255.37 修改.bps

korvane-tool.exe --help 列出全部命令。CSV 是 UTF-8 编码；用 Excel 打开时导出加 --bom。

许可证
------
本程序以 GNU 通用公共许可证第 3 版或更新的版本发布，全文见 LICENSE.txt。
EOF
} >"$stage/使用说明.txt"

check_imports() {
  # Every DLL the programs and the shipped DLLs import is either shipped or one of
  # Windows' own (Wine implements those, so its folder of them is the list); a
  # missing one would stop korvane.exe from starting at all.
  local windows_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows missing
  missing=$(for file in "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll; do
    x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\tDLL Name: //p'
  done | sort -u | while read -r dll; do
    [ -e "$stage/$dll" ] || [ -e "$windows_dlls/${dll,,}" ] || [[ ${dll,,} == api-ms-win-* ]] ||
      echo "$dll"
  done)
  if [ -n "$missing" ]; then
    echo "这些 DLL 既不在压缩包里，也不是 Windows 自带的：$missing" >&2
    exit 1
  fi
}
check_imports

rm -f "$zip"
# Names in UTF-8 and marked as such (Info-ZIP's zip does not mark them), so that
# 使用说明.txt keeps its name on a Chinese Windows; the empty data folder stays.
python3 - "$build/dist" "$name" "$root/$zip" <<'EOF'
import os, sys, zipfile
base, name, out = sys.argv[1:]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for folder, folders, files in os.walk(os.path.join(base, name)):
        folders.sort()
        inside = os.path.relpath(folder, base)
        archive.write(folder, inside)
        for file in sorted(files):
            archive.write(os.path.join(folder, file), os.path.join(inside, file))
EOF
echo "== 已写出 $root/$zip（$(du -h "$zip" | cut -f1)）"
