# Cross-compiles for 32-bit Windows with mingw-w64 (posix thread model); tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

get_filename_component(_top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
# The flavour's own libraries, Windows tools and Wine prefix template.
set(FLAVOUR_DEPS_DIR "${_top}/.deps")
if(NOT DEPS_PREFIX)
  set(DEPS_PREFIX "${FLAVOUR_DEPS_DIR}/prefix")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 "${DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
