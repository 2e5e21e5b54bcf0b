#!/usr/bin/env bash
# Seeds one fault at a time into the program and runs the tests that should
# catch it: scripts/seed-faults.sh [fault-id...]  (every fault when none given)
#   FAULTS       the fault list (default scripts/faults.txt; see its header)
#   BUILD_DIR    a configured build folder (default build)
# First the named tests of the chosen faults run once on the clean program: a
# test that fails there would mark every fault on it caught, so the run stops.
# For each fault: the exact text is replaced (a text that is missing, or found
# more than once, is reported as "missing" and makes the run fail), only the
# named tests' targets are rebuilt, the named tests run, the file is restored.
# Prints one line a fault: "caught by <the tests that failed>", survived,
# missing or nobuild; the run fails unless every fault was caught.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
list="${FAULTS:-$here/scripts/faults.txt}"
build="${BUILD_DIR:-$here/build}"
log="$build/seed-faults"
mkdir -p "$log"
exec </dev/null # nothing below reads the terminal or the list by accident

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
chosen() { [[ -n "$1" && "$1" != \#* ]] && [[ "$wanted" == "  " || "$wanted" == *" $1 "* ]]; }

# Builds the targets of the tests that match a regex and runs them; the output goes to $2.
build_and_test() {
    local regex="$1" output="$2" targets
    # A test builds as the target of its name; the end-to-end ones drive the program.
    targets=$(cd "$build" && ctest -N -R "$regex" | sed -n 's/^ *Test *#[0-9]*: //p' |
        sed 's/^e2e_.*/verdane/' | sort -u)
    [ -n "$targets" ] || { echo "no test matches $regex" >"$output"; return 2; }
    # shellcheck disable=SC2086 # one word a target
    cmake --build "$build" -j2 --target $targets >"$output.build" 2>&1 || return 2
    (cd "$build" && ctest -R "$regex" --timeout 180 >"$output" 2>&1) || return 1
}

# The tests that failed, as ctest lists them: "test_shell test_log (Timeout)".
failed_tests() {
    sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (\(.*\))$/\1|\2/p' "$1" |
        awk -F'|' '{ printf "%s%s", (NR > 1 ? ", " : ""), ($2 == "Failed" ? $1 : $1 " (" $2 ")") }'
}

all_tests=""
while IFS=$'\t' read -r -u 3 id _ _ _ tests; do
    chosen "$id" || continue
    all_tests="${all_tests:+$all_tests|}$tests"
done 3<"$list"
[ -n "$all_tests" ] || { echo "no fault chosen"; exit 1; }
# A seeded fault may leave a parameter or a helper unused: that is the fault, not a warning to stop at.
cmake -DVERDANE_WERROR=OFF "$build" >"$log/configure" 2>&1 || { echo "cannot configure $build"; exit 1; }
build_and_test "^(${all_tests})$" "$log/clean.test"
case $? in
0) echo "clean run: passed" ;;
1) echo "clean run: failed ($(failed_tests "$log/clean.test")): fix the tests first"; exit 1 ;;
*) echo "clean run: does not build (see $log/clean.test.build)"; exit 1 ;;
esac

status=0
while IFS=$'\t' read -r -u 3 id file original replacement tests; do
    chosen "$id" || continue
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
    build_and_test "^(${tests})$" "$log/$id.test"
    case $? in
    0) echo "$id: survived (${tests//|/, } passed)"; status=1 ;;
    1) echo "$id: caught by $(failed_tests "$log/$id.test")" ;;
    *) echo "$id: nobuild (see $log/$id.test.build)"; status=1 ;;
    esac
    restore
done 3<"$list"
exit $status
