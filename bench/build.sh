#!/bin/bash
# Builds the programs the benchmark compares, each desktop with the blocking
# wait (the product) and with the old polling wait (kelvory-polling, built
# only here), in folders of their own so the everyday build folders are
# never touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${BENCH_JOBS:-2}
gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)

conf() {  # conf DIR ARGS...
  local dir=$1
  shift
  [[ -f $dir/CMakeCache.txt ]] || cmake -S . -B "$dir" "${gen[@]}" "$@" >/dev/null
}
conf build/bench-qt -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORY_TESTS=OFF -DKELVORY_BENCH=ON
cmake --build build/bench-qt -j"$jobs" --target kelvory kelvory-polling kelvory-sim empty-qt-window
# The Wayland row's input client, where libwayland is there to build it.
cmake --build build/bench-qt -j"$jobs" --target wl_input 2>/dev/null || true
if command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 && [[ -z ${BENCH_NO_WIN:-} ]]; then
  win=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
    -DKELVORY_TESTS=OFF -DKELVORY_QT=OFF)
  conf build/bench-win "${win[@]}" -DKELVORY_BENCH=ON
  cmake --build build/bench-win -j"$jobs" --target kelvory kelvory-polling
fi
