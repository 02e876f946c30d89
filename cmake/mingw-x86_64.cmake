# Cross-compiles for 64-bit Windows with mingw-w64 (posix thread model); tests run under wine64.
# The test flavour of machines that cannot run 32-bit code; the programs shipped stay 32-bit.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

get_filename_component(_top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
# The flavour's own libraries, Windows tools and Wine prefix template.
set(FLAVOUR_DEPS_DIR "${_top}/.deps/x64")
if(NOT DEPS_PREFIX)
  set(DEPS_PREFIX "${FLAVOUR_DEPS_DIR}/prefix")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine wrapper picks the 32-bit loader whenever wine32 is installed: the 64-bit one by name.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
