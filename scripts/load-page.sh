#!/usr/bin/env bash
# load-page.sh BROWSER PAGE LOG [SCREENSHOT]: opens PAGE in BROWSER and waits, at most a minute,
# for the page's "Document Complete:" line in the event log (QUILLMERE_EVENT_LOG), written to LOG.
# With SCREENSHOT it then saves a picture of the screen (ImageMagick's import; run it under a
# display, such as xvfb-run's). It ends the browser; the exit status is 0 when the page completed.
set -uo pipefail
browser=$1
page=$2
log=$3
shot=${4:-}
QUILLMERE_EVENT_LOG=1 "$browser" "$page" 2>"$log" &
pid=$!
completed=1
for _ in $(seq 120); do
    if grep -q '^Document Complete:' "$log" 2>/dev/null; then
        completed=0
        break
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
done
if [ -n "$shot" ] && kill -0 "$pid" 2>/dev/null; then
    sleep 2 # the window paints after the page completes
    import -window root "$shot"
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
exit "$completed"
