#!/usr/bin/env bash
# check-install.sh BUILD_DIR STAGE_DIR: installs the build into STAGE_DIR (DESTDIR, prefix /usr)
# and checks the installed tree: every file in place, the desktop entry and the metainfo valid for
# the desktop's own tools, both manual pages render without warnings, the icon sizes are right,
# and both programs answer --version from there.
set -euo pipefail
build=$1
stage=$2
rm -rf "$stage"
DESTDIR="$stage" "${CMAKE:-cmake}" --install "$build" --prefix /usr >/dev/null
usr="$stage/usr"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

sizes=(16 22 24 32 48 64 128 256)
expected=(
    bin/quillmere bin/quillmere-platform
    share/applications/quillmere.desktop
    share/metainfo/quillmere.metainfo.xml
    share/icons/hicolor/scalable/apps/quillmere.svg
    share/man/man1/quillmere.1.gz share/man/man1/quillmere-platform.1.gz
    share/bash-completion/completions/quillmere-platform
)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/quillmere.png")
done
for file in "${expected[@]}"; do
    [ -f "$usr/$file" ] || fail "$file is not installed"
done
for program in quillmere quillmere-platform; do
    [ -x "$usr/bin/$program" ] || fail "bin/$program is not executable"
done
[ "$failures" -eq 0 ] || exit 1

desktop-file-validate "$usr/share/applications/quillmere.desktop" || fail "desktop entry"
grep -qx 'Exec=quillmere %u' "$usr/share/applications/quillmere.desktop" || fail "Exec line"
appstream-util validate-relax --nonet "$usr/share/metainfo/quillmere.metainfo.xml" >/dev/null ||
    fail "metainfo"

for page in quillmere quillmere-platform; do
    # man prints groff's warnings (bad macros, lines it cannot fit) on standard error.
    if ! text=$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>"$stage/man.err"); then
        fail "man $page"
    fi
    [ ! -s "$stage/man.err" ] || fail "man $page warns: $(cat "$stage/man.err")"
    grep -q "^NAME" <<<"$text" || fail "man $page has no NAME section"
done

for size in "${sizes[@]}"; do
    got=$(identify -format '%wx%h' "$usr/share/icons/hicolor/${size}x${size}/apps/quillmere.png")
    [ "$got" = "${size}x${size}" ] || fail "the ${size} pixel icon is $got"
done

for program in quillmere quillmere-platform; do
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/$program" --version | head -n 1)
    [[ $version =~ ^$program\ [0-9]+(\.[0-9]+)+$ ]] || fail "$program --version says '$version'"
done

[ "$failures" -eq 0 ] || exit 1
echo "installed tree in $stage: all checks passed"
