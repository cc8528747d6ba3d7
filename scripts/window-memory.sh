#!/usr/bin/env bash
# Measures the main window's peak resident memory (VmHWM) with a sample database of 32,767
# opportunities open, and of a bare window without one, and prints the figure with its target.
# Settings and data live in a temporary folder (the user's are never touched).
#   scripts/window-memory.sh [--x]
# Without --x the window draws off screen (QT_QPA_PLATFORM=offscreen); with --x it runs on a
# private X server (Xvfb, 1024x768). Use a Release build: BUILD_DIR=build-release scripts/...
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
app="$build_dir/src/app/corvane"
bench="$build_dir/bench/corvane-bench"
target_kib=$((60 * 1024))
for file in "$app" "$bench"; do
    [[ -x $file ]] || { echo "$file is missing: build it first" >&2; exit 1; }
done

work=$(mktemp -d)
xvfb=''
cleanup() {
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen
if [[ ${1:-} == --x ]]; then
    command -v Xvfb >/dev/null || { echo "Xvfb is missing: run scripts/install-deps.sh" >&2; exit 1; }
    for n in $(seq 90 99); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
    export DISPLAY=":$n" QT_QPA_PLATFORM=xcb
fi
"$bench" --generate 32767 "$work/Pipeline.mdb" >/dev/null 2>&1

# The peak of a run, once it has not grown for three seconds (the list is shown by then).
peak() {
    local home=$1; shift
    mkdir -p "$home"
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
        "$app" "$@" >/dev/null 2>&1 & local pid=$!
    local previous=0 same=0 hwm=0
    for _ in $(seq 240); do
        sleep 0.5
        hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
        [[ -z $hwm ]] && break
        if [[ $hwm == "$previous" ]]; then same=$((same + 1)); else same=0; fi
        previous=$hwm
        [[ $same -ge 6 ]] && break
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$previous"
}
bare=$(peak "$work/bare")
full=$(peak "$work/full" "$work/Pipeline.mdb")
verdict=PASS
[[ $full -lt $target_kib ]] || verdict=FAIL
awk -v full="$full" -v bare="$bare" -v verdict="$verdict" 'BEGIN {
    printf "%-52s %6.1f MiB  bare window %.1f MiB  target <60 MiB: %s\n",
        "window with 32,767 opportunities (peak resident)", full / 1024, bare / 1024, verdict }'
