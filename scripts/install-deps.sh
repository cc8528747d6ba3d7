#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Corvane need.
# With --packaging, also the tools that build and check the Debian package (scripts/package.sh,
# scripts/package-test.sh). Idempotent; runs as root or asks sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsqlite3-dev libical-dev libcairo2-dev libpango1.0-dev libpq-dev qtkeychain-qt6-dev
    libqt6svg6 qt6-gtk-platformtheme qt6-image-formats-plugins
    poppler-utils radicale vdirsyncer postgresql
    xdg-utils fonts-dejavu-core fonts-ipafont-gothic python3
    xvfb xauth openbox xdotool imagemagick
)
if [ "${1:-}" = "--packaging" ]; then
    packages+=(
        dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
        libfile-mimeinfo-perl man-db bash-completion qt6-qpa-plugins inotify-tools
    )
fi

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
