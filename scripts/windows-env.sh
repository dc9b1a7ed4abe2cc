# Shared by the Windows scripts (sourced, not run): where the cross-built
# dependencies, the Windows build and the MinGW runtime lie.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
cache=${KORVANE_WINDOWS_CACHE:-$HOME/.cache/korvane/windows-x64}
prefix=$cache/prefix
build=$root/build-windows
version=$(sed -n 's/^project(korvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mingw_gcc=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
mingw_lib=/usr/x86_64-w64-mingw32/lib
