#!/usr/bin/env bash
# Seeds one fault at a time into the program and runs the tests that should
# catch it: scripts/seed-faults.sh [fault-id...]  (every fault when none given)
#   FAULTS       the fault list (default scripts/faults.txt; see its header)
#   BUILD_DIR    a configured build folder (default build)
# For each fault: the exact text is replaced (a text that is missing, or found
# more than once, is reported as "missing" and makes the run fail), only the
# named tests' targets are rebuilt, the named tests run, the file is restored.
# Prints one line a fault: caught, survived, missing or nobuild.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
list="${FAULTS:-$here/scripts/faults.txt}"
build="${BUILD_DIR:-$here/build}"
log="$build/seed-faults"
mkdir -p "$log"

backup="" target=""
restore() {
    if [ -n "$backup" ]; then
        cp -p "$backup" "$target" && rm -f "$backup"
        touch "$target" # newer than the faulty object: the next build recompiles it
        backup=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

wanted=" $* "
status=0
while IFS=$'\t' read -r id file original replacement tests; do
    [[ -z "$id" || "$id" == \#* ]] && continue
    [[ $# -gt 0 && "$wanted" != *" $id "* ]] && continue
    target="$here/$file"
    backup="$(mktemp)"
    cp -p "$target" "$backup"
    if ! python3 - "$target" "$original" "$replacement" <<'PY'; then
import sys
path, old, new = sys.argv[1:]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
        restore
        echo "$id: missing (the text is not found exactly once in $file)"
        status=1
        continue
    fi
    regex="^(${tests})$"
    targets=$(cd "$build" && ctest -N -R "$regex" | sed -n 's/^ *Test *#[0-9]*: //p')
    result=""
    if ! cmake --build "$build" -j2 --target $targets >"$log/$id.build" 2>&1; then
        result="nobuild"
        status=1
    elif (cd "$build" && ctest -R "$regex" --timeout 180 >"$log/$id.test" 2>&1); then
        result="survived"
    else
        result="caught"
    fi
    restore
    echo "$id: $result ($(grep -o '[0-9]* tests failed out of [0-9]*' "$log/$id.test" 2>/dev/null || echo "none failed"))"
done < "$list"
exit $status
