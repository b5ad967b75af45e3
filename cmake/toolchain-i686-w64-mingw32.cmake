# Cross-compiles brisleaf.dll for 32-bit Windows with Debian's mingw-w64
# (posix threads flavour) and runs the built test programs under Wine.
#
#   cmake -S . -B build-win32 \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
#     -DBRISLEAF_WINDOWS_DEPS=$(scripts/build-windows-deps i686 | tail -n1)

set(CMAKE_SYSTEM_PROCESSOR i686)
set(_brisleaf_triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
