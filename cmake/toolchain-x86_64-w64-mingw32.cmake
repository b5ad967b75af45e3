# Cross-compiles brisleaf64.dll for 64-bit Windows with Debian's mingw-w64
# (posix threads flavour) and runs the built test programs under the host's
# 64-bit Wine.
#
#   cmake -S . -B build-win64 \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake \
#     -DBRISLEAF_WINDOWS_DEPS=$(scripts/build-windows-deps x86_64 | tail -n1)

set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_brisleaf_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
