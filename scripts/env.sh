# Shared by scripts/test, scripts/run and scripts/bench: the flavour, its build folder, the Wine
# environment, and a display.
. "$(dirname "${BASH_SOURCE[0]}")/flavour.sh"
top=$flavour_top
flavour=$(choose_flavour) || exit 1
flavour_vars "$flavour"
# BUILD_DIR picks another build folder of this flavour (each has its own Wine prefix, so several
# can test at once).
build="${BUILD_DIR:-$F_BUILD}"
case "$build" in /*) ;; *) build="$top/$build" ;; esac
flavour_deps="$F_DEPS"
export_wine_env "$build/wineprefix"

# The line that starts the output of every script: which flavour runs, and why.
flavour_banner() { # what
  local why="chosen by FLAVOUR"
  if [ -z "${FLAVOUR:-}" ]; then
    if [ "$flavour" = i686 ]; then why="this machine runs 32-bit code"; else why="this machine cannot run 32-bit code"; fi
    [ "${FLAVOUR_SIMULATE_NO_32BIT:-0}" != 1 ] || why="32-bit code refused, as FLAVOUR_SIMULATE_NO_32BIT asks"
  fi
  printf '%s: flavour %s (%s; %s)\n' "$1" "$flavour" "$F_DESCRIPTION" "$why"
}

ensure_setup() {
  "$top/scripts/setup"
}

# Configures (once) and builds one flavour's folder; the arguments go to cmake --build.
build_folder() { # flavour folder [build args...]
  local f=$1 dir=$2 toolchain; shift 2
  toolchain=$(flavour_vars "$f" && echo "$F_TOOLCHAIN")
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    mkdir -p "$dir"
    cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$dir/configure.log" 2>&1 \
      || { cat "$dir/configure.log" >&2; echo "configure of the $f flavour failed" >&2; return 1; }
  fi
  cmake --build "$dir" -j"$(nproc)" "$@"
}

ensure_build() {
  build_folder "$flavour" "$build" "$@"
}

# The flavour that does not run here is still built, so that neither rots.
build_other_flavour() {
  local other dir
  other=$(other_flavour "$flavour")
  dir=$(flavour_vars "$other" && echo "$F_BUILD")
  echo "building the $other flavour too (compiled and linked only; its tests do not run here)"
  build_folder "$other" "$dir" "$@"
}

# Starts a persistent wineserver and warms it up with every standard stream detached, so that
# Wine's service processes never hold a pipe of ours open.
start_wine() {
  # The prefix made by scripts/setup is the template of every build folder's own prefix.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    cp -a "$flavour_deps/wineprefix" "$WINEPREFIX"
  fi
  # A server that already runs for this prefix makes -p answer 2: that one serves as well (the run
  # script starts wine once for the demo clips and once for the program).
  "$WINESERVER" -p || [ $? -eq 2 ]
  "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Xvfb has no window manager. Wine waits up to two seconds for one to confirm every hide of a
# window it leaves to the manager, so the private displays of the tests and benchmarks have Wine
# manage its windows itself; a person's desktop (scripts/run) keeps the default. The toolkit's
# tests keep the default too: they read an always-on-top frame's stacking back from the screen,
# and Wine stacks the windows it manages itself without regard to always-on-top.
wine_manages_windows() {
  local key='HKCU\Software\Wine\X11 Driver'
  local toolkit='HKCU\Software\Wine\AppDefaults\toolkit_tests.exe\X11 Driver'
  if [ "$1" = yes ]; then
    "$WINELOADER" reg add "$key" /v Managed /d N /f </dev/null >/dev/null 2>&1
    "$WINELOADER" reg add "$toolkit" /v Managed /d Y /f </dev/null >/dev/null 2>&1
  else
    "$WINELOADER" reg delete "$key" /v Managed /f </dev/null >/dev/null 2>&1 || true
  fi
}

stop_wine() {
  "$WINESERVER" -k 2>/dev/null || true
}

# Runs a Windows program of this flavour.
wine_run() {
  "$WINELOADER" "$@"
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
