#!/usr/bin/env bash
# Installs, builds and runs every test against a local Firebird server:
#   1. the normal build, warnings as errors: every test;
#   2. AddressSanitizer and UndefinedBehaviorSanitizer: every test;
#   3. without widgets (tree, windows and the program left out): its unit tests;
#   4. ThreadSanitizer: the tests that need no window (labels unit and db), except
#      the update downloads (see the tsan stage).
# VESTIBAR_TEST_STAGES picks some of them, e.g. "normal nowidgets".
set -euo pipefail
cd "$(dirname "$0")/.."

stages=${VESTIBAR_TEST_STAGES:-normal asan nowidgets tsan}
jobs=$(nproc)
# Database tests wait on the server more than they compute.
test_jobs=$((jobs + 1))

bash scripts/install-deps.sh
server_env=$(bash scripts/firebird-up.sh --env)
eval "$server_env"

# ccache lets the build without widgets reuse what the normal build compiled.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp:halt_on_error=1:second_deadlock_stack=1"

configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
}

run_ctest() {
    local dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure -j"$test_jobs" --timeout 300 "$@"
}

stage() {
    echo "== $1 == ($(date +%T))"
}

for s in $stages; do
    case $s in
    normal)
        stage "normal build"
        configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTIBAR_WERROR=ON
        cmake --build build -j"$jobs"
        run_ctest build
        ;;
    asan)
        stage "sanitizer build (ASan + UBSan)"
        configure build-asan -DCMAKE_BUILD_TYPE=Debug -DVESTIBAR_SANITIZE=ON -DVESTIBAR_BUILD_BENCH=OFF
        cmake --build build-asan -j"$jobs"
        run_ctest build-asan
        ;;
    nowidgets)
        stage "build without widgets"
        configure build-nowidgets -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTIBAR_WERROR=ON \
            -DVESTIBAR_WIDGETS=OFF -DVESTIBAR_BUILD_BENCH=OFF
        cmake --build build-nowidgets -j"$jobs" --target vestibar_unit_tests vestibar-prepare-demo
        run_ctest build-nowidgets -L unit
        ;;
    tsan)
        stage "ThreadSanitizer build"
        configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTIBAR_SANITIZE_THREAD=ON \
            -DVESTIBAR_BUILD_BENCH=OFF
        cmake --build build-tsan -j"$jobs" --target vestibar_headless_tests
        # The downloads run on Qt's own network thread, which hands buffers over
        # under Qt's futex-based locks; Qt is not built for the thread checker, so
        # it cannot see them and reports every handover. Our update code starts
        # no thread of its own. Under the checker, which intercepts signal delivery,
        # the client library's own shutdown thread never sees a raised SIGTERM, so
        # the test of refusing that shutdown has nothing to check there; the
        # program's own signal handling is tested under the checker.
        run_ctest build-tsan -L "unit|db" -E '^(UpdateFlow|TerminationSignal)\.'

        ;;
    *)
        echo "test.sh: unknown stage $s" >&2
        exit 2
        ;;
    esac
done
stage "all green"
