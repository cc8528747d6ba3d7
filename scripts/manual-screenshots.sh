#!/usr/bin/env bash
# Takes the manual's screenshots from the real application: starts a private X server (Xvfb) with
# a window manager, runs build/src/app/corvane on a generated sample database with its own
# settings (the user's are never touched), and captures windows into docs/manual/images/.
#   scripts/manual-screenshots.sh [SHOT...]     (no argument: every shot)
# Needs a build (scripts/build.sh) and the packages xvfb, openbox, xdotool and imagemagick
# (scripts/install-deps.sh installs them).
#
# To add a shot, add a line to SHOTS below: the image's name, a regular expression for the title
# of the window to capture, and the keys (xdotool syntax) that open it from the main window, or
# "-" for none, separated by "|". After each shot the script presses Escape until only the main window is left.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
app="$build_dir/src/app/corvane"
bench="$build_dir/bench/corvane-bench"
out_dir=docs/manual/images
size=1280x900          # the virtual screen
window_size="820 560"  # the main window, in pixels: fits the help window unscaled

SHOTS=(
    # name        | window title     | keys from the main window
    "main-window  | ^Corvane - \[    | -"
    # Once the dialogs are reached from the menus, for example:
    # "about      | ^About Corvane$  | alt+h a"
    # "help       | ^Corvane Help    | F1"
    # "editor     | ^Edit - \[       | Down Return"
    # "filter     | ^Filter$         | alt+t f"
    # "options    | ^Options$        | alt+t o"
)

for tool in Xvfb openbox xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done
for file in "$app" "$bench"; do
    [[ -x $file ]] || { echo "$file is missing: run scripts/build.sh" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A private session: settings, data and runtime folders of its own, US English formats.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime" LANG=en_US.UTF-8 LC_ALL= QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
sample="$work/Sample Pipeline.mdb"
"$bench" --generate 250 "$sample" >/dev/null

for n in $(seq 90 120); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
export DISPLAY=:$n
Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

# Waits for a visible window whose title matches $1 and prints its id.
wait_window() {
    local id=''
    for _ in $(seq 80); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.25
    done
    echo "no window titled /$1/ appeared" >&2
    return 1
}

"$app" "$sample" >"$work/app.log" 2>&1 &
pids+=($!)
main=$(wait_window '^Corvane - \[')
xdotool windowsize --sync "$main" $window_size windowmove --sync "$main" 40 40
sleep 1.5

wanted=" $* "
mkdir -p "$out_dir"
for shot in "${SHOTS[@]}"; do
    IFS='|' read -r name title keys <<<"$shot"
    name=$(echo $name) keys=$(echo $keys) title=$(sed 's/^ *//; s/ *$//' <<<"$title")
    [[ $# -gt 0 && $wanted != *" $name "* ]] && continue
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    [[ $keys != - ]] && xdotool key --delay 120 $keys
    id=$(wait_window "$title")
    sleep 1
    import -window "$id" -frame "$work/$name.png"
    convert "$work/$name.png" -strip "$out_dir/$name.png"
    echo "$out_dir/$name.png: $(xdotool getwindowname "$id")"
    while [[ $(xdotool getactivewindow 2>/dev/null || echo "$main") != "$main" ]]; do
        xdotool key Escape
        sleep 0.3
    done
done
