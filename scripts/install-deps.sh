#!/usr/bin/env bash
# Installs the Debian packages Quillmere builds, tests, packages and runs with, and any further
# packages named as arguments. Idempotent: does nothing when everything is present; otherwise
# refreshes the package lists first, then installs.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-webengine-dev qt6-webengine-dev-tools
    libqt6webenginecore6-bin libqt6webengine6-data qt6-pdf-dev qt6-translations-l10n
    libsqlite3-dev sqlite3
    dbus dbus-x11 xvfb xauth x11-apps imagemagick
    fonts-noto-cjk
    libbenchmark-dev libgl-dev
    clang-format
    desktop-file-utils appstream-util man-db dpkg-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}" >&2
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
