#!/usr/bin/env bash
# Builds the Windows x64 release on Debian 12: Qt (qtbase, from Debian's own
# source) is cross-compiled with MinGW-w64 once into a cache outside the
# repository; later runs rebuild only the project.
#
#   scripts/windows.sh            dependencies if missing, then the project and the zip
#   scripts/windows.sh --deps     only the dependencies (the long first step)
#
# KORVANE_WINDOWS_CACHE chooses the cache (default ~/.cache/korvane/windows-x64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=${KORVANE_WINDOWS_CACHE:-$HOME/.cache/korvane/windows-x64}
prefix=$cache/prefix
mkdir -p "$cache"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

install_packages() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== 安装交叉编译需要的软件包：${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Source packages come from the same suites as the binary ones.
enable_source_lines() {
  local list=/etc/apt/sources.list.d/korvane-deb-src.sources
  [ -e "$list" ] && return 0
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && return 0
  echo "== 启用 Debian 源码仓库（deb-src），以便下载 Qt 的源码"
  sed -n '/^Types:/,$p' /etc/apt/sources.list.d/debian.sources |
    sed 's/^Types: deb$/Types: deb-src/' | $sudo tee "$list" >/dev/null
  $sudo apt-get update -qq
}

write_toolchain() {
  cat >"$cache/mingw-w64.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

build_qt() {
  [ -e "$cache/qt.done" ] && return 0
  echo "== 第一次构建 Windows 版 Qt（约 1100 个编译步骤；2 核机器上约 40 到 60 分钟，只做一次）"
  mkdir -p "$cache/src"
  if ! ls -d "$cache"/src/qt6-base-*/ >/dev/null 2>&1; then
    echo "== 下载 Debian 的 qt6-base 源码（约 46 MB）"
    (cd "$cache/src" && apt-get source -qq qt6-base)
  fi
  local source
  source=$(ls -d "$cache"/src/qt6-base-*/ | head -n1)
  # OpenGL stays on (the Windows platform plugin needs it to compile); tablet
  # events are off because Debian's source leaves out the wintab header.
  cmake -S "$source" -B "$cache/qt-build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$cache/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_opengl=ON -DFEATURE_opengl_dynamic=ON -DFEATURE_tabletevent=OFF >/dev/null
  cmake --build "$cache/qt-build"
  cmake --install "$cache/qt-build" >/dev/null
  touch "$cache/qt.done"
}

started=$(date +%s)
install_packages g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev qt6-base-dev \
  qt6-base-dev-tools qt6-translations-l10n dpkg-dev cmake ninja-build pkg-config python3 wine64 xvfb xauth \
  fonts-noto-cjk
enable_source_lines
write_toolchain
build_qt
echo "== Windows 依赖已在缓存中：$cache（用时 $(($(date +%s) - started)) 秒）"
[ "${1:-}" = "--deps" ] && exit 0
exec "$root/scripts/windows-package.sh"
