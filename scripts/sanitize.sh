#!/usr/bin/env bash
# Builds the core library and its tests with sanitizers and runs them. No
# widgets: -DVERDANE_BUILD_UI=OFF, so only tests that link the core alone.
#   scripts/sanitize.sh [asan] [tsan]    (both when none is named)
#
#   asan  AddressSanitizer (with LeakSanitizer) and UndefinedBehaviorSanitizer,
#         every core test.
#   tsan  ThreadSanitizer, the tests whose engine code runs on worker threads:
#         settings read while another thread writes, drive scan with a stop from
#         another thread, downloads (two at once, and one in a process that is
#         killed). The widget tests with workers (download job, search dialog)
#         stay out: Qt is not built for ThreadSanitizer, and its event loop and
#         queued calls synchronise through atomics and futexes it cannot see, so
#         every cross-thread call would be reported as a race inside Qt.
#
# Build folders: VERDANE_ASAN_DIR (default build-asan), VERDANE_TSAN_DIR
# (build-tsan). Compiler: VERDANE_SANITIZE_CXX (default g++, whose libasan,
# libubsan and libtsan come with it). No suppressions are used: a report fails
# the run. A compiler warning fails the build (VERDANE_WERROR=OFF lets it pass).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${VERDANE_JOBS:-$(nproc)}"
cxx="$(command -v "${VERDANE_SANITIZE_CXX:-g++}")"

# The tests ThreadSanitizer runs (ctest names).
tsan_tests='^(test_settings_store|test_search_engine|test_download_engine|test_download_kill|test_download_resume)$'

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1:halt_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1 history_size=4}"

# run_stage <name> <build dir> <compile flags> <link flags> <ctest regex> <repeats>
run_stage() {
    local name="$1" dir="$2" flags="$3" link="$4" tests="$5" repeats="$6"
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    local start=$SECONDS
    echo "== $name: configuring $dir"
    # A cache made with another compiler would be thrown away by CMake together
    # with the options given here: start that folder afresh instead.
    if [ -f "$dir/CMakeCache.txt" ] &&
        ! grep -qx "CMAKE_CXX_COMPILER:[A-Z]*=$cxx" "$dir/CMakeCache.txt"; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    fi
    cmake -S "$here" -B "$dir" -G Ninja "${launcher[@]}" \
        -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE= \
        -DCMAKE_CXX_FLAGS="-O1 -g $flags" \
        -DCMAKE_EXE_LINKER_FLAGS="$link" -DCMAKE_SHARED_LINKER_FLAGS="$link" \
        -DVERDANE_BUILD_UI=OFF -DVERDANE_BUILD_TESTS=ON -DVERDANE_BUILD_BENCH=OFF \
        -DVERDANE_WERROR="${VERDANE_WERROR:-ON}" >/dev/null
    # Only what the tests need (test name = target name; helpers are their
    # dependencies), not the demo content of a full build.
    local tests_found targets=() test
    mapfile -t tests_found < <(ctest --test-dir "$dir" -N -R "$tests" | sed -n 's/^ *Test *#[0-9]*: //p')
    for test in "${tests_found[@]}"; do
        ninja -C "$dir" -t query "$test" >/dev/null 2>&1 && targets+=("$test")
    done
    if [ ${#targets[@]} -eq 0 ]; then
        echo "$name: no tests match $tests" >&2
        return 1
    fi
    echo "== $name: building ${targets[*]}"
    cmake --build "$dir" -j"$jobs" --target "${targets[@]}"
    local built=$SECONDS
    echo "== $name: running the tests"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" -R "$tests" --repeat until-fail:"$repeats"
    echo "== $name: passed (build $((built - start)) s, tests $((SECONDS - built)) s)"
}

stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(asan tsan)
for stage in "${stages[@]}"; do
    case "$stage" in
    asan)
        run_stage "AddressSanitizer + UndefinedBehaviorSanitizer" \
            "${VERDANE_ASAN_DIR:-$here/build-asan}" \
            "-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
            "-fsanitize=address,undefined" '.' 1
        ;;
    tsan)
        # Three rounds: a race shows only when the threads happen to meet.
        run_stage "ThreadSanitizer" "${VERDANE_TSAN_DIR:-$here/build-tsan}" \
            "-fsanitize=thread -fno-omit-frame-pointer" "-fsanitize=thread" "$tsan_tests" 3
        ;;
    *)
        echo "usage: $0 [asan] [tsan]" >&2
        exit 2
        ;;
    esac
done
