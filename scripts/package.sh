#!/usr/bin/env bash
# Makes the Debian package dist/korvane_<version>_amd64.deb from the Release build
# in ./build: the editor, korvane-tool and korvane-samples in /usr/lib/korvane
# (their DataDir: the name lists go there), commands of the same names in
# /usr/bin, a menu entry with the icon. The dependencies are the Debian packages
# of the libraries the programs link (dpkg-shlibdeps), Qt's platform plugins and
# nothing else; Chinese fonts and Qt's Chinese texts are recommended.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(korvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=dist/korvane_${version}_amd64.deb

echo "== 检查需要的软件包……"
scripts/setup.sh
scripts/build.sh korvane korvane-tool korvane-samples

echo "== 组装 Debian 软件包 $deb ……"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
package=$stage/korvane
lib=$package/usr/lib/korvane
install -d "$package/DEBIAN" "$lib/data" "$package/usr/bin" "$package/usr/share/applications" \
  "$package/usr/share/icons/hicolor/256x256/apps" "$package/usr/share/doc/korvane"
install -m 755 -s build/korvane build/korvane-tool build/tools/korvane-samples "$lib/"
for program in korvane korvane-tool korvane-samples; do
  ln -s "../lib/korvane/$program" "$package/usr/bin/$program"
done
install -m 644 app/icons/korvane.png "$package/usr/share/icons/hicolor/256x256/apps/korvane.png"

cat >"$package/usr/share/applications/korvane.desktop" <<'EOF'
[Desktop Entry]
Type=Application
Name=Korvane Static Editor
Name[zh_CN]=Korvane 静态修改器
Name[zh_TW]=Korvane 靜態修改器
GenericName=Game data editor
GenericName[zh_CN]=游戏数据修改器
Comment=Edits the tables of SLPS_255.37 and stage.bin in place
Comment[zh_CN]=直接修改 SLPS_255.37 和 stage.bin 中的表格
Exec=korvane
Icon=korvane
Terminal=false
Categories=Game;Utility;
EOF

cat >"$package/usr/share/doc/korvane/README.Debian" <<'EOF'
Korvane 静态修改器（Debian 软件包）
====================================

命令：korvane（修改器）、korvane-tool（命令行工具）、korvane-samples（合成游戏文件和占位名称列表）。
程序本身在 /usr/lib/korvane/，这个文件夹就是程序读名称列表的 DataDir：

  /usr/lib/korvane/unit.txt、ts.txt、pilot.txt
  /usr/lib/korvane/data/zcoffset.txt、zcstage.txt、jqoffset.txt、jqstage.txt

软件包不带名称列表。把自己的名称列表（GBK 编码）复制进去，例如：

  sudo cp unit.txt ts.txt pilot.txt /usr/lib/korvane/
  sudo cp zcoffset.txt zcstage.txt jqoffset.txt jqstage.txt /usr/lib/korvane/data/

没有名称列表时窗口照样可以编辑，缺少的名称显示为编号。想先试用，可以放入一套占位列表：

  sudo korvane-samples --lists-only /usr/lib/korvane

korvane-tool 也可以用 --names 文件夹 指定别处的名称列表。
这些文件不属于软件包：升级或卸载软件包不会删除或覆盖它们（彻底清除时请自己删除）。

每次“保存”都直接写入打开的游戏文件，请先备份。
EOF

cat >"$package/usr/share/doc/korvane/copyright" <<'EOF'
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: korvane

Files: *
License: GPL-3.0-or-later
 Korvane is released under the GNU General Public License, version 3 or (at your
 option) any later version.
 .
 On Debian systems, the complete text of the GNU General Public License
 version 3 can be found in "/usr/share/common-licenses/GPL-3".
EOF

# dpkg-shlibdeps reads the package's libraries from the programs and wants a
# debian/control beside them.
mkdir -p "$stage/debian"
printf 'Source: korvane\n\nPackage: korvane\nArchitecture: amd64\n' >"$stage/debian/control"
shlibs=$(cd "$stage" && dpkg-shlibdeps -O korvane/usr/lib/korvane/korvane \
  korvane/usr/lib/korvane/korvane-tool korvane/usr/lib/korvane/korvane-samples 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "dpkg-shlibdeps 没有给出依赖。" >&2; exit 1; }

cat >"$package/DEBIAN/control" <<EOF
Package: korvane
Version: $version
Architecture: amd64
Maintainer: Korvane developers <korvane@localhost>
Installed-Size: $(du -sk --exclude=DEBIAN "$package" | cut -f1)
Depends: $shlibs, qt6-qpa-plugins
Recommends: fonts-noto-cjk | fonts-wqy-microhei, qt6-translations-l10n
Suggests: genisoimage | xorriso
Section: games
Priority: optional
Description: static data editor for the game SLPS_255.37
 Korvane 静态修改器：打开游戏主程序 SLPS_255.37 和关卡文件 stage.bin
 （单独的文件或光盘镜像里的文件），直接修改其中的表格。
 .
 korvane-tool 在命令行导出、比较、导入和修补同样的表格；
 korvane-samples 写出合成的游戏文件和占位名称列表，供试用。
 名称列表放在 /usr/lib/korvane/（见 /usr/share/doc/korvane/README.Debian）。
EOF

mkdir -p dist
dpkg-deb --root-owner-group -Zxz --build "$package" "$root/$deb" >/dev/null
echo "== 已写出 $root/$deb（$(du -h "$deb" | cut -f1)）"
echo "   安装：sudo apt-get install ./$deb"
