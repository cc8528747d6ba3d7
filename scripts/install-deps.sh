#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Corvane need.
# Idempotent; runs as root or asks sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsqlite3-dev libical-dev
    libqt6svg6 qt6-gtk-platformtheme qt6-image-formats-plugins
    poppler-utils radicale vdirsyncer
    xdg-utils fonts-dejavu-core python3
    xvfb xauth openbox xdotool imagemagick
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
