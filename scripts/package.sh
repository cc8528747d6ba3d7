#!/usr/bin/env bash
# Builds Corvane's Debian package in a fresh build folder (build-package/, or the folder given as
# BUILD_DIR) and prints the path of the .deb. Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --packaging >&2
export BUILD_DIR="${BUILD_DIR:-build-package}" BUILD_TYPE=RelWithDebInfo
rm -rf "$BUILD_DIR"
scripts/build.sh -DCMAKE_INSTALL_PREFIX=/usr -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF "$@" >&2
(cd "$BUILD_DIR" && cpack -G DEB >&2)
ls "$PWD/$BUILD_DIR"/corvane_*.deb
