#!/usr/bin/env bash
# Installs dist/korvane_<version>_amd64.deb with apt-get into a fresh Debian 12
# chroot and runs korvane-tool and korvane-samples there. Needs root (debootstrap,
# chroot) and the network, so CI does not run it.
#
# The first run makes a minimal Debian 12 system with debootstrap (a few minutes)
# in KORVANE_CHROOT_BASE (default /tmp/korvane-chroot-base) and keeps it
# untouched; every run copies it afresh to KORVANE_CHROOT (default
# /tmp/korvane-chroot) and installs the package into the copy.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(korvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=dist/korvane_${version}_amd64.deb
base=${KORVANE_CHROOT_BASE:-/tmp/korvane-chroot-base}
chroot=${KORVANE_CHROOT:-/tmp/korvane-chroot}
mirror=http://deb.debian.org/debian

[ "$(id -u)" -eq 0 ] || { echo "需要 root 权限（debootstrap 和 chroot）：sudo $0" >&2; exit 1; }
[ -e "$deb" ] || scripts/package.sh

if ! command -v debootstrap >/dev/null; then
  echo "== 安装 debootstrap"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
fi
if [ ! -e "$base/etc/debian_version" ]; then
  echo "== 用 debootstrap 制作最小的 Debian 12 系统：$base（约几分钟，只做一次）"
  rm -rf "$base"
  debootstrap --variant=minbase bookworm "$base" "$mirror" >/dev/null
fi

echo "== 复制一份全新的系统：$chroot"
rm -rf "$chroot"
cp -a "$base" "$chroot"
cp /etc/resolv.conf "$chroot/etc/resolv.conf"
mount -t proc proc "$chroot/proc"
trap 'umount "$chroot/proc"' EXIT
in_chroot() { chroot "$chroot" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./$(basename "$deb")（装上依赖：Qt 6 ……）"
cp "$deb" "$chroot/tmp/"
log=$chroot/tmp/apt.log
if ! { in_chroot apt-get update -qq &&
  in_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")"; } \
  >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi

echo "== 在 chroot 中运行 korvane-tool tables"
in_chroot korvane-tool tables
echo "== 在 chroot 中运行 korvane-samples，再导出其中一个表格"
in_chroot korvane-samples /tmp/samples
in_chroot korvane-tool dump /tmp/samples/SLPS_255.37 units --names /tmp/samples -o /tmp/units.csv
head -n 3 "$chroot/tmp/units.csv"
test -e "$chroot/usr/share/applications/korvane.desktop"
echo "== 软件包在全新的 Debian 12 中安装并运行正常。"
