#!/usr/bin/env bash
# Installs a build tree the two ways a user does and checks the result:
#  1. DESTDIR staging with the prefix /usr, as the Debian package lays it out:
#     the files, the icons' sizes, the settings file in /etc, the desktop entry;
#  2. a prefix of its own (no DESTDIR), from which the program is started the
#     way a desktop starts it: its entry's Exec, in its entry's Path.
#   install-test.sh BUILD_DIR VERSION
set -euo pipefail

build="$1"
version="$2"
tmp="$(mktemp -d)"
pid=""
cleanup() {
    # The program runs in a session of its own: end it and its web processes.
    if [ -n "$pid" ]; then kill -KILL -- "-$pid" 2>/dev/null || true; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
desktop_value() { sed -n "s/^$2=//p" "$1" | head -n 1; }

check_layout() { # PREFIX_DIR SYSCONF_DIR PATH_EXPECTED_IN_THE_ENTRY
    local root="$1" etc="$2" data="$3" entry="$1/share/applications/verdane.desktop"
    [ -x "$root/games/verdane" ] || fail "$root/games/verdane missing or not executable"
    [ -x "$root/games/verdane-update" ] || fail "$root/games/verdane-update missing or not executable"
    [ -f "$root/share/man/man6/verdane-update.6.gz" ] || fail "no manual page of verdane-update"
    for size in 16 32 48 64 128 256; do
        file -b "$root/share/icons/hicolor/${size}x${size}/apps/verdane.png" | grep -q "PNG image data, $size x $size," ||
            fail "no $size x $size icon"
    done
    for name in ZarnREZ.dat www/index.html www/zarn/plexa/ZarnMapVersion.txt content_server.py demo-server; do
        [ -f "$root/share/verdane/$name" ] || fail "$root/share/verdane/$name missing"
    done
    [ "$(cat "$etc/xdg/NaloSoft/Verdane.conf" 2>&1)" = "$(printf '[General]\nCurr_Version=%s' "$version")" ] ||
        fail "$etc/xdg/NaloSoft/Verdane.conf does not say Curr_Version=$version"
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    [ "$(desktop_value "$entry" Path)|$(desktop_value "$entry" Exec)|$(desktop_value "$entry" Categories)" = \
        "$data|verdane|Game;" ] || fail "$entry: Path, Exec or Categories"
}

# --- 1. The package's layout -------------------------------------------------
DESTDIR="$tmp/stage" cmake --install "$build" --prefix /usr >"$tmp/stage.log" || { cat "$tmp/stage.log"; exit 1; }
check_layout "$tmp/stage/usr" "$tmp/stage/etc" /usr/share/verdane
[ "$(ls "$tmp/stage")" = "$(printf 'etc\nusr')" ] || fail "DESTDIR install wrote outside usr/ and etc/"

# --- 2. A prefix of its own, and the program started from its entry ------------
prefix="$tmp/usr"
cmake --install "$build" --prefix "$prefix" >"$tmp/prefix.log" || { cat "$tmp/prefix.log"; exit 1; }
check_layout "$prefix" "$prefix/etc" "$prefix/share/verdane"
[ "$failures" -eq 0 ] || exit 1

entry="$prefix/share/applications/verdane.desktop"
workdir="$(desktop_value "$entry" Path)"
read -r -a command <<<"$(desktop_value "$entry" Exec | sed 's/ %[fFuUick]//g')"
mkdir -p "$tmp/home" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
(
    cd "$workdir"
    export PATH="$prefix/games:$PATH" HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
    export XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache"
    export XDG_CONFIG_DIRS="$prefix/etc/xdg" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
    export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --no-first-run"
    export VERDANE_CONTENT_SERVER=127.0.0.1:9 # port 9 (discard) refuses: nothing is fetched
    exec setsid "${command[@]}"
) >"$tmp/stdout" 2>"$tmp/stderr" &
pid=$!

# Up for ~3 s, with the catalogue of its Path open (as long as the main window lives).
catalogue="$(readlink -f "$workdir")/ZarnREZ.dat"
open=no
for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || { tail -n 40 "$tmp/stderr" >&2; echo "FAIL: the program ended on its own" >&2; exit 1; }
    [ "$open" = yes ] || for fd in "/proc/$pid/fd"/*; do [ "$(readlink "$fd" 2>/dev/null)" = "$catalogue" ] && open=yes; done
    sleep 0.1
done
[ "$open" = yes ] || fail "the program did not open $workdir/ZarnREZ.dat"

# SIGTERM closes the main window: a clean end, status 0, and its web processes go with it.
kill -TERM "$pid"
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    fail "the program did not end within 10 s of SIGTERM"
else
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status after SIGTERM"
fi
for _ in $(seq 50); do
    left="" # the processes of its session, read without procps, which a minimal system lacks
    for stat in /proc/[0-9]*/stat; do
        fields="$(cat "$stat" 2>/dev/null)" || continue
        read -r _ _ _ session _ <<<"${fields##*) }" # after the command name: state ppid pgrp session
        [ "$session" != "$pid" ] || left+="${stat//[^0-9]/} "
    done
    [ -z "$left" ] && break
    sleep 0.1
done
[ -z "$left" ] || fail "processes of the program outlived it: $left"
! grep -q 'Nalo友情提示' "$tmp/stderr" || fail "the program printed a notice on stderr"
pid=""
[ "$failures" -eq 0 ] && echo "install checks passed"
