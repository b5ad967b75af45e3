# What both Windows cross builds share. The toolchain file of a triplet sets
# CMAKE_SYSTEM_PROCESSOR and _brisleaf_triplet, then includes this file.
#
# BRISLEAF_WINDOWS_DEPS is the prefix holding the static libjpeg, libpng,
# giflib and pugixml built for that triplet by scripts/build-windows-deps (also
# read from the environment).

set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${_brisleaf_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_brisleaf_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_brisleaf_triplet}-windres)
set(CMAKE_AR ${_brisleaf_triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_brisleaf_triplet}-ranlib CACHE FILEPATH "")

if(NOT BRISLEAF_WINDOWS_DEPS AND DEFINED ENV{BRISLEAF_WINDOWS_DEPS})
  set(BRISLEAF_WINDOWS_DEPS "$ENV{BRISLEAF_WINDOWS_DEPS}")
endif()
set(BRISLEAF_WINDOWS_DEPS "${BRISLEAF_WINDOWS_DEPS}" CACHE PATH
    "Prefix of the cross-built static dependencies (scripts/build-windows-deps)")
# try_compile projects read this file again: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRISLEAF_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH ${BRISLEAF_WINDOWS_DEPS} /usr/${_brisleaf_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static archives only: libz.a, never the import library libz.dll.a.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)

# libgcc, libstdc++ and winpthread go into every module, so the DLL and the
# programs import nothing but Windows system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs cross-built programs through Wine (scripts/wine-run picks the
# Wine that runs the program's kind).
get_filename_component(_brisleaf_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_brisleaf_root}/scripts/wine-run")
