#!/usr/bin/env bash
# Configures and builds into ./build (Release, with the tests). Targets named on
# the command line are built alone; without any, everything is.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
if [ $# -eq 0 ]; then
  cmake --build build
else
  cmake --build build --target "$@"
fi
