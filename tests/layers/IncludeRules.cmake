# Fails when a source file includes a header from a layer above it or beside
# it, or when code outside platform/ includes an operating system's header.
# Run as: cmake -DSOURCE_DIR=<repository> -P IncludeRules.cmake
cmake_minimum_required(VERSION 3.20)

# Each layer and the layers it may include, besides its own.
set(layers platform core zip xml render fb2 epub mobi plugin host shell)
set(allowed_platform "")
set(allowed_core platform)
set(allowed_zip core platform)
set(allowed_xml core platform)
set(allowed_render core platform)
set(allowed_fb2 xml zip core platform)
set(allowed_epub xml zip core platform)
set(allowed_mobi core platform)
set(allowed_plugin fb2 epub mobi render xml zip core platform)
# brisleaf-thumb loads the module and knows only its exports' declarations.
set(allowed_host plugin core platform)
# The Windows shell handler is a COM server: it and its test program talk to
# the system themselves, reach the routes through plugin/'s driver and write
# pictures with host/'s writers.
set(allowed_shell plugin host core platform)
set(system_header_layers platform shell)

set(system_headers windows.h unistd.h dlfcn.h fcntl.h pthread.h)

set(violations "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header "${line}")
      if(header MATCHES "^([a-z0-9]+)/")
        set(target ${CMAKE_MATCH_1})
        if(target IN_LIST layers AND NOT target STREQUAL layer AND NOT target IN_LIST allowed_${layer})
          string(APPEND violations "  ${name}: ${layer}/ includes ${header}\n")
        endif()
      endif()
      if(NOT layer IN_LIST system_header_layers AND (header IN_LIST system_headers OR header MATCHES "^sys/"))
        string(APPEND violations "  ${name}: only platform/ includes <${header}>\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layers:\n${violations}")
endif()
