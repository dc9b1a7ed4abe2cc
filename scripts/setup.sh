#!/usr/bin/env bash
# Installs what building and testing the editor needs on Debian 12, when it is
# missing: apt-get, through sudo when not run as root.
set -euo pipefail

# qt6-translations-l10n: Qt's own dialogs and buttons in Chinese (打开, 取消, 确定).
packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-translations-l10n zlib1g-dev
  libbenchmark-dev fonts-noto-cjk xvfb xauth xorriso genisoimage)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "安装缺少的软件包：${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
