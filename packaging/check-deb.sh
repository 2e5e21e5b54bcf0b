#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what it declares and
# what it holds.
#   packaging/check-deb.sh BUILD_DIR [VERSION] [OUT_DIR]
# VERSION defaults to the one the build tree packages; OUT_DIR (where the .deb
# is left) to a temporary folder that is removed afterwards.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -f "$1/CPackConfig.cmake" ]; then
    echo "usage: $0 BUILD_DIR [VERSION] [OUT_DIR]  (BUILD_DIR: a configured build tree)" >&2
    exit 2
fi
build="$(cd "$1" && pwd)"
version="${2:-$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
out="${3:-$scratch/out}"
mkdir -p "$out"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# cpack writes its staging tree under OUT_DIR, so runs side by side do not meet.
if ! (cd "$build" && cpack -G DEB -B "$out" >"$scratch/cpack.log" 2>&1); then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: cpack -G DEB" >&2
    exit 1
fi
debs=("$out"/verdane_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    cat "$scratch/cpack.log" >&2
    echo "FAIL: expected one verdane_*.deb in $out, found: ${debs[*]}" >&2
    exit 1
fi
deb="${debs[0]}"
arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "verdane_${version}_${arch}.deb" ] ||
    fail "file name $(basename "$deb"), expected verdane_${version}_${arch}.deb"

# --- Control fields -----------------------------------------------------------
dpkg-deb -I "$deb" >"$scratch/info" || fail "dpkg-deb -I cannot read the package"
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    local actual
    actual="$(field "$1")"
    [ "$actual" = "$2" ] || fail "$1 is '$actual', expected '$2'"
}
expect_field Package verdane
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section games
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# One name per entry of a relation field (alternatives split too).
relation_names() { field "$1" | tr ',|' '\n' | sed 's/(.*)//; s/:.*//; s/[[:space:]]//g' | sed '/^$/d'; }
relation_names Depends >"$scratch/depends"
relation_names Recommends >"$scratch/recommends"
# Each pattern must match one whole package name.
for pattern in 'libqt6core6' 'libqt6gui6' 'libqt6widgets6' 'libqt6webenginewidgets6' \
    'libqt6webenginecore6-bin' 'libcurl[0-9].*' 'libsqlite3-0' 'libyaml-cpp[0-9].*' 'fonts-noto-cjk' \
    'qt6-translations-l10n'; do
    grep -qx "$pattern" "$scratch/depends" || fail "Depends lacks $pattern: $(field Depends)"
done
for name in wine python3; do
    grep -qx "$name" "$scratch/recommends" || fail "Recommends lacks $name: $(field Recommends)"
done
duplicates="$(sort "$scratch/depends" | uniq -d)"
[ -z "$duplicates" ] || fail "Depends names twice: $duplicates"

dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles >"$scratch/conffiles" 2>/dev/null ||
    fail "no conffiles"
grep -qx /etc/xdg/NaloSoft/Verdane.conf "$scratch/conffiles" ||
    fail "/etc/xdg/NaloSoft/Verdane.conf is not a conffile"

# --- File list ----------------------------------------------------------------
dpkg-deb -c "$deb" >"$scratch/contents" || fail "dpkg-deb -c cannot list the package"
awk '{print $6}' "$scratch/contents" | sed 's|^\./|/|; s|/$||' | sed '/^$/d' >"$scratch/paths"
required=(
    /usr/games/verdane
    /usr/games/verdane-catalogue
    /usr/games/verdane-update
    /usr/share/man/man6/verdane.6.gz
    /usr/share/man/man6/verdane-update.6.gz
    /usr/share/man/man1/verdane-catalogue.1.gz
    /usr/share/doc/verdane/copyright
    /usr/share/doc/verdane/changelog.gz
    /usr/share/applications/verdane.desktop
    /etc/xdg/NaloSoft/Verdane.conf
    /usr/share/verdane/ZarnREZ.dat
    /usr/share/verdane/content_server.py
    /usr/share/verdane/demo-server
    /usr/share/verdane/www/index.html
    /usr/share/verdane/www/zarn/plexa/ZarnMapVersion.txt
)
for size in 16 32 48 64 128 256; do
    required+=("/usr/share/icons/hicolor/${size}x${size}/apps/verdane.png")
done
for path in "${required[@]}"; do
    grep -qx -- "$path" "$scratch/paths" || fail "package lacks $path"
done
strays="$(grep -v -e '^/usr$' -e '^/usr/games' -e '^/usr/share/applications' \
    -e '^/usr/share/icons/hicolor' -e '^/usr/share/verdane' -e '^/usr/share$' -e '^/usr/share/icons$' \
    -e '^/usr/share/man' -e '^/usr/share/doc$' -e '^/usr/share/doc/verdane' \
    -e '^/etc$' -e '^/etc/xdg$' -e '^/etc/xdg/NaloSoft' "$scratch/paths" || true)"
[ -z "$strays" ] || fail "unexpected paths in the package: $strays"
others="$(awk '$2 != "root/root" {print $6}' "$scratch/contents")"
[ -z "$others" ] || fail "files not owned by root: $others"

# --- What the files say ---------------------------------------------------------
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for program in verdane verdane-catalogue verdane-update; do
    [ -x "$root/usr/games/$program" ] || fail "/usr/games/$program is not executable"
    file -b "$root/usr/games/$program" | grep -q 'not stripped' && fail "/usr/games/$program is not stripped"
done
[ -x "$root/usr/share/verdane/demo-server" ] || fail "demo-server is not executable"
desktop-file-validate "$root/usr/share/applications/verdane.desktop" ||
    fail "desktop-file-validate rejects the desktop entry"
grep -qx 'Path=/usr/share/verdane' "$root/usr/share/applications/verdane.desktop" ||
    fail "the desktop entry does not start in /usr/share/verdane"
grep -qx "Curr_Version=$version" "$root/etc/xdg/NaloSoft/Verdane.conf" ||
    fail "Verdane.conf does not carry Curr_Version=$version"
entries="$(sqlite3 -readonly "$root/usr/share/verdane/ZarnREZ.dat" 'SELECT COUNT(*) FROM ZarnMapDB' 2>&1)" ||
    entries=0
[ "$entries" -gt 0 ] 2>/dev/null || fail "the demo catalogue has no entries ($entries)"

# Debian's own checks: no error may be left (warnings are named in the README).
if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian" 2>&1; then
    fail "lintian reports errors"
fi
sed 's/^/lintian: /' "$scratch/lintian"

bytes="$(stat -c %s "$deb")"
echo "$(basename "$deb"): $bytes bytes, Installed-Size $(field Installed-Size) KiB," \
    "$(grep -vc '/$' "$scratch/contents") files"
echo "Depends: $(field Depends)"
echo "Recommends: $(field Recommends)"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
