#!/usr/bin/env bash
# Builds Quillmere and opens it on the bundled sample sites (examples/Html), with a platform
# directory of its own (build/demo-platform) so the user's settings are never touched. Without a
# display it runs under a virtual display, saves a screenshot of the window and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quillmere quillmere-platform

export QUILLMERE_PLATFORM_DIR="$root/build/demo-platform"
mkdir -p "$QUILLMERE_PLATFORM_DIR"
tool="$root/build/platform/cli/quillmere-platform"
"$tool" reg add 'HKCU\Software\Tarnwick\Lumenvale\1.0\LocalBrowse' /v Directory /t REG_SZ \
    /d "$root/examples/Html/" /f >/dev/null
"$tool" sites add 4 restricted.example >/dev/null 2>&1 || true
page="$root/examples/Html/www.sample-news.example/index.html"
browser="$root/build/app/quillmere"

if [ -n "${DISPLAY:-}" ]; then
    exec "$browser" "$page"
fi

shot="$root/build/demo-screenshot.png"
rm -f "$shot"
log="$root/build/demo-events.log"
# QUILLMERE_EVENT_LOG makes the browser print its event lines to stderr; the screenshot is taken
# once the page's DocumentComplete line is there (at most a minute) and the window has painted.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    QUILLMERE_EVENT_LOG=1 "$0" "$1" 2>"$3" &
    pid=$!
    for _ in $(seq 120); do
        grep -q "^Document Complete:" "$3" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    sleep 2
    import -window root "$2"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' "$browser" "$page" "$shot" "$log"
if [ -s "$shot" ]; then
    echo "screenshot: $shot"
else
    echo "run-demo: no screenshot was taken" >&2
    exit 1
fi
