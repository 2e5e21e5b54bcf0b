#!/usr/bin/env bash
# Renders each manual page the way man shows it; any warning of man or groff fails.
#   tests/install/man-test.sh PAGE...
set -u
status=0
for page in "$@"; do
    if ! warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"; then
        echo "$page: man failed: $warnings"
        status=1
    elif [ -n "$warnings" ]; then
        echo "$page: $warnings"
        status=1
    fi
done
exit "$status"
