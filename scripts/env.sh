# Shared by scripts/test and scripts/run: the build folder, the Wine environment, and a display.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# BUILD_DIR picks another build folder (each has its own Wine prefix, so several can test at once).
build="${BUILD_DIR:-$top/build}"
case "$build" in /*) ;; *) build="$top/$build" ;; esac
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEARCH=win32
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winebrowser.exe=d"

ensure_setup() {
  "$top/scripts/setup"
}

ensure_build() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    mkdir -p "$build"
    cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 \
      || { cat "$build/configure.log" >&2; echo "configure failed" >&2; return 1; }
  fi
  cmake --build "$build" -j"$(nproc)" "$@"
}

# Starts a persistent wineserver and warms it up with every standard stream detached, so that
# Wine's service processes never hold a pipe of ours open.
start_wine() {
  # The prefix made by scripts/setup is the template of every build folder's own prefix.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    cp -a "$top/.deps/wineprefix" "$WINEPREFIX"
  fi
  # A server that already runs for this prefix makes -p answer 2: that one serves as well (the run
  # script starts wine once for the demo clips and once for the program).
  wineserver -p || [ $? -eq 2 ]
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
  wineserver -k 2>/dev/null || true
}

xvfb_pid=""
start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  local n
  read -r n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$n"
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=""
}
