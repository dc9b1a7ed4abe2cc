#!/usr/bin/env bash
# Sets up, builds everything (the tests and benchmarks too) and runs every test on
# the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== 检查需要的软件包……"
scripts/setup.sh
scripts/build.sh
echo "== 在屏幕外运行全部测试（CTest）……"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
