#!/usr/bin/env bash
# Installs the dependencies, builds Corvane and starts it on a sample pipeline database
# (made once, in the user's data folder). Extra arguments are passed to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR=build scripts/build.sh
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/Corvane"
sample="$data_dir/Sample Pipeline.mdb"
mkdir -p "$data_dir"
if [ ! -f "$sample" ]; then
    build/bench/corvane-bench --generate 250 "$sample"
fi
exec build/src/app/corvane "$sample" "$@"
