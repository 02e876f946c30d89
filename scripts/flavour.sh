# The two test flavours, shared by scripts/setup, scripts/env.sh and the scripts built on it.
# i686 builds the 32-bit programs the project ships and runs them under the 32-bit Wine; x64 builds
# the same sources for 64-bit Windows and runs them under wine64, for machines whose kernel refuses
# 32-bit programs. Each flavour keeps its libraries, tools, Wine prefix and build folder apart; the
# downloaded sources are shared. FLAVOUR=i686|x64 overrides the choice.
flavour_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Writes a static 32-bit x86 Linux program of 96 bytes that only exits with code 42. $1 is the
# ELF machine byte in hex: 03 is x86; 28 (ARM) gives the kernel's answer on a machine that refuses
# 32-bit x86, which is how FLAVOUR_SIMULATE_NO_32BIT=1 plays such a machine.
write_probe_program() {
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf "\\x02\\x00\\x$1\\x00\\x01\\x00\\x00\\x00\\x54\\x80\\x04\\x08\\x34\\x00\\x00\\x00"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00'
  printf '\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  # mov eax, 1 (exit); mov ebx, 42; int 0x80
  printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
}

# Whether this machine really runs 32-bit x86 code: the kernel saying it supports it is not
# enough (some machines refuse every such program with "Exec format error"), so one is run.
# Needs no package, so the choice is made before anything is installed.
runs_32bit_code() {
  local machine=03 probe rc
  [ "${FLAVOUR_SIMULATE_NO_32BIT:-0}" = 1 ] && machine=28
  probe=$(mktemp "${TMPDIR:-/tmp}/probe32.XXXXXX") || return 1
  write_probe_program "$machine" >"$probe"
  chmod +x "$probe"
  rc=0
  "$probe" </dev/null >/dev/null 2>&1 || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

# The flavour that runs here: FLAVOUR if given, else i686 where 32-bit code runs, else x64.
choose_flavour() {
  case "${FLAVOUR:-}" in
    i686|x64) echo "$FLAVOUR" ;;
    "") if runs_32bit_code; then echo i686; else echo x64; fi ;;
    *) echo "FLAVOUR must be i686 or x64, not '$FLAVOUR'" >&2; return 1 ;;
  esac
}

other_flavour() {
  if [ "$1" = i686 ]; then echo x64; else echo i686; fi
}

# Sets the paths and programs of one flavour. The i686 ones are those of the single flavour of
# before, so existing .deps and build folders keep working.
flavour_vars() {
  case "$1" in
    i686)
      F_DEPS="$flavour_top/.deps"
      F_BUILD="$flavour_top/build"
      F_TOOLCHAIN="$flavour_top/cmake/mingw-i686.cmake"
      F_HOST=i686-w64-mingw32
      F_NPM_CPU=ia32
      F_WINEARCH=win32
      F_WINE=/usr/lib/wine/wine
      F_WINESERVER=/usr/lib/wine/wineserver32
      F_DESCRIPTION="32-bit Windows build under the 32-bit Wine"
      ;;
    x64)
      F_DEPS="$flavour_top/.deps/x64"
      F_BUILD="$flavour_top/build-x64"
      F_TOOLCHAIN="$flavour_top/cmake/mingw-x86_64.cmake"
      F_HOST=x86_64-w64-mingw32
      F_NPM_CPU=x64
      F_WINEARCH=win64
      F_WINE=/usr/lib/wine/wine64
      F_WINESERVER=/usr/lib/wine/wineserver64
      F_DESCRIPTION="64-bit Windows build under wine64"
      ;;
    *) echo "unknown flavour '$1'" >&2; return 1 ;;
  esac
  F_NAME=$1
}

# The Wine environment of a flavour. Debian's wine and wineserver wrappers pick the 32-bit loader
# whenever wine32 is installed (even where it cannot run) and the 64-bit server whenever wine64
# is, so each flavour names its own loader and server.
export_wine_env() { # prefix-folder
  export WINEPREFIX="$1" WINEDEBUG=-all WINEARCH="$F_WINEARCH"
  export WINELOADER="$F_WINE" WINESERVER="$F_WINESERVER"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d"
}
