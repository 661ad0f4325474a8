#!/usr/bin/env bash
# Builds the Debian package and checks it in a fresh Debian 12 system: prints its control data
# and files, installs it with apt-get (Depends only, no Recommends) into a root made with
# debootstrap, and there runs quillmere --version and loads a bundled sample page headless, first
# offscreen, then under Xvfb with a screenshot (build/package-check-screenshot.png). Slow (it
# downloads a base system and Qt WebEngine), so it is not part of the tests. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if [ "$(id -u)" -ne 0 ]; then
    echo "check-package: needs root (debootstrap, mount, chroot)" >&2
    exit 1
fi
scripts/install-deps.sh debootstrap
cmake --preset default >/dev/null
cmake --build --preset default --target package
deb=$(ls -t build/quillmere_*.deb | head -n 1)
echo "== $deb"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmere-check.XXXXXX")
system="$work/bookworm"
# The system's own device nodes (made by debootstrap) with a private /dev/pts and /dev/shm: the
# host's /dev is never bound in, so removing the work directory cannot touch it.
mounts=(proc sys dev/pts dev/shm)
cleanup() {
    local mount
    for mount in "${mounts[@]}"; do
        mountpoint -q "$system/$mount" && umount "$system/$mount"
    done
    if grep -q " $work/" /proc/mounts; then
        echo "check-package: $work still has mounts; left in place" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

debootstrap --variant=minbase bookworm "$system" http://deb.debian.org/debian
cat >"$system/etc/apt/sources.list" <<'SOURCES'
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
printf '#!/bin/sh\nexit 101\n' >"$system/usr/sbin/policy-rc.d" # start no services
chmod +x "$system/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$system/etc/resolv.conf"
mount -t proc proc "$system/proc"
mount -t sysfs -o ro sysfs "$system/sys"
mkdir -p "$system/dev/pts" "$system/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$system/dev/pts"
mount -t tmpfs -o mode=1777 tmpfs "$system/dev/shm"

in_system() { chroot "$system" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
cp "$deb" "$system/tmp/"
cp -r examples/Html "$system/tmp/Html"
cp scripts/load-page.sh "$system/usr/local/bin/"
in_system apt-get update
in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    "/tmp/$(basename "$deb")"

echo "== in the fresh system"
in_system quillmere --version
in_system quillmere-platform --version
in_system quillmere --help >/dev/null
# The version resource survives the package's stripping: the engine's version is read from it.
in_system quillmere-platform version /usr/bin/quillmere | grep -i 'FileVersion'
in_system quillmere-platform reg add 'HKCU\Software\Tarnwick\Lumenvale\1.0\LocalBrowse' \
    /v Directory /t REG_SZ /d /tmp/Html/ /f >/dev/null
page=/tmp/Html/www.sample-news.example/index.html

if in_system env QT_QPA_PLATFORM=offscreen dbus-run-session -- \
    /usr/local/bin/load-page.sh quillmere "$page" /tmp/offscreen.log; then
    echo "offscreen: $(grep -m 1 '^Document Complete:' "$system/tmp/offscreen.log")"
else
    cat "$system/tmp/offscreen.log" >&2
    echo "check-package: the page did not complete offscreen" >&2
    exit 1
fi

# The X11 run needs tools of the check's own: a virtual display and a screenshot.
in_system env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    xvfb xauth imagemagick >/dev/null
shot="$root/build/package-check-screenshot.png"
rm -f "$shot"
if in_system dbus-run-session -- xvfb-run -a -s "-screen 0 1024x768x24" \
    /usr/local/bin/load-page.sh quillmere "$page" /tmp/xvfb.log /tmp/screenshot.png; then
    cp "$system/tmp/screenshot.png" "$shot"
    echo "xvfb: $(grep -m 1 '^Document Complete:' "$system/tmp/xvfb.log")"
    echo "screenshot: $shot"
else
    cat "$system/tmp/xvfb.log" >&2
    echo "check-package: the page did not complete under Xvfb" >&2
    exit 1
fi
echo "check-package: the package installs and runs on a fresh Debian 12"
