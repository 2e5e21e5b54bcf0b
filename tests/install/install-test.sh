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
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL -- "-$pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

install_tree() { # LOG [cmake --install arguments]
    local log="$1"
    shift
    if ! cmake --install "$build" "$@" >"$log" 2>&1; then
        cat "$log" >&2
        echo "FAIL: cmake --install $*" >&2
        exit 1
    fi
}

desktop_value() { sed -n "s/^$2=//p" "$1" | head -n 1; }

check_layout() { # PREFIX_DIR SYSCONF_DIR PATH_EXPECTED_IN_THE_ENTRY
    local root="$1" etc="$2" data="$3"
    local entry="$root/share/applications/verdane.desktop"
    [ -x "$root/games/verdane" ] || fail "$root/games/verdane missing or not executable"
    for size in 16 32 48 64 128 256; do
        local icon="$root/share/icons/hicolor/${size}x${size}/apps/verdane.png"
        if [ ! -f "$icon" ]; then
            fail "icon $icon missing"
        elif ! file -b "$icon" | grep -q "PNG image data, $size x $size,"; then
            fail "icon $icon is not a $size x $size PNG: $(file -b "$icon")"
        fi
    done
    for name in ZarnREZ.dat www/index.html www/zarn/plexa/ZarnMapVersion.txt; do
        [ -f "$root/share/verdane/$name" ] || fail "$root/share/verdane/$name missing"
    done
    for name in content_server.py demo-server; do
        [ -x "$root/share/verdane/$name" ] || fail "$root/share/verdane/$name missing or not executable"
    done
    local conf="$etc/xdg/NaloSoft/Verdane.conf"
    if [ ! -f "$conf" ]; then
        fail "settings file $conf missing"
    elif [ "$(cat "$conf")" != "$(printf '[General]\nCurr_Version=%s' "$version")" ]; then
        fail "$conf does not say Curr_Version=$version: $(cat "$conf")"
    fi
    if [ ! -f "$entry" ]; then
        fail "desktop entry $entry missing"
        return
    fi
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    [ "$(desktop_value "$entry" Path)" = "$data" ] ||
        fail "$entry: Path=$(desktop_value "$entry" Path), expected $data"
    [ "$(desktop_value "$entry" Exec)" = verdane ] || fail "$entry: Exec=$(desktop_value "$entry" Exec)"
    [ "$(desktop_value "$entry" Icon)" = verdane ] || fail "$entry: Icon=$(desktop_value "$entry" Icon)"
    [ "$(desktop_value "$entry" 'Name\[zh_CN\]')" = 'Nalo Zarn地图发布器' ] || fail "$entry: Name[zh_CN]"
    [ "$(desktop_value "$entry" Categories)" = 'Game;' ] || fail "$entry: Categories"
}

# --- 1. The package's layout -------------------------------------------------
DESTDIR="$tmp/stage" install_tree "$tmp/stage.log" --prefix /usr
check_layout "$tmp/stage/usr" "$tmp/stage/etc" /usr/share/verdane
strays="$(cd "$tmp/stage" && find . -mindepth 1 -maxdepth 1 ! -name usr ! -name etc)"
[ -z "$strays" ] || fail "DESTDIR install wrote outside usr/ and etc/: $strays"
[ ! -e "$tmp/stage/usr/etc" ] || fail "the settings file went to usr/etc, not /etc"

# --- 2. A prefix of its own, and the program started from its entry ------------
prefix="$tmp/usr"
install_tree "$tmp/prefix.log" --prefix "$prefix"
check_layout "$prefix" "$prefix/etc" "$prefix/share/verdane"
[ "$failures" -eq 0 ] || exit 1

entry="$prefix/share/applications/verdane.desktop"
workdir="$(desktop_value "$entry" Path)"
# Exec split into words, without the field codes a launcher fills in.
read -r -a command <<<"$(desktop_value "$entry" Exec)"
for i in "${!command[@]}"; do
    case "${command[$i]}" in %[fFuUick]) unset 'command[i]' ;; esac
done
mkdir -p "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
(
    cd "$workdir"
    # A desktop finds Exec's program on PATH.
    export PATH="$prefix/games:$PATH"
    export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data"
    export XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime"
    export XDG_CONFIG_DIRS="$prefix/etc/xdg"
    export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
    export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --no-first-run"
    # Port 9 (discard) refuses: nothing is fetched.
    export VERDANE_CONTENT_SERVER=127.0.0.1:9
    exec setsid "${command[@]}"
) >"$tmp/stdout" 2>"$tmp/stderr" &
pid=$!

# The processes of session SID (without procps, which a minimal system lacks).
session_members() {
    local stat fields
    for stat in /proc/[0-9]*/stat; do
        fields="$(cat "$stat" 2>/dev/null)" || continue
        fields="${fields##*) }" # after the command name: state ppid pgrp session ...
        read -r _ _ _ session _ <<<"$fields"
        if [ "$session" = "$1" ]; then
            stat="${stat#/proc/}"
            printf '%s ' "${stat%/stat}"
        fi
    done
}

show_output() {
    echo "--- stderr of the program:" >&2
    tail -n 40 "$tmp/stderr" >&2
}

# Up for ~3 s, with the catalogue of its Path open (the catalogue connection
# lives as long as the main window).
catalogue="$(readlink -f "$workdir")/ZarnREZ.dat"
catalogue_open=no
for _ in $(seq 30); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" && status=0 || status=$?
        pid=""
        show_output
        echo "FAIL: the installed program ended on its own (status $status) within 3 s" >&2
        exit 1
    fi
    if [ "$catalogue_open" = no ]; then
        for fd in "/proc/$pid/fd"/*; do
            [ "$(readlink "$fd" 2>/dev/null)" = "$catalogue" ] && catalogue_open=yes
        done
    fi
    sleep 0.1
done
[ "$catalogue_open" = yes ] || fail "the program did not open $workdir/ZarnREZ.dat"

# SIGTERM closes the main window: a clean end, status 0.
kill -TERM "$pid"
ended=no
for _ in $(seq 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
        ended=yes
        break
    fi
    sleep 0.1
done
if [ "$ended" = no ]; then
    show_output
    fail "the program did not end within 10 s of SIGTERM"
    kill -KILL -- "-$pid" 2>/dev/null || true
fi
wait "$pid" && status=0 || status=$?
if [ "$ended" = yes ]; then
    [ "$status" -eq 0 ] || { show_output; fail "the program ended with status $status after SIGTERM"; }
fi
# Its web processes go with it.
for _ in $(seq 50); do
    [ -z "$(session_members "$pid")" ] && break
    sleep 0.1
done
left="$(session_members "$pid")"
[ -z "$left" ] || fail "processes of the program outlived it: $left"
if grep -q 'Nalo友情提示' "$tmp/stderr"; then
    show_output
    fail "the program printed a notice on stderr"
fi
pid=""

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "install checks passed"
