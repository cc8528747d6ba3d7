#!/usr/bin/env bash
# Configures and builds Corvane into build/ (or the folder given as BUILD_DIR).
# Extra arguments go to CMake's configure step. With ccache installed, compilations are cached
# across build folders (scripts/package.sh's fresh folder reuses the test build's objects).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@"
cmake --build "$build_dir" -j"$(nproc)"
