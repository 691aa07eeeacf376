#!/usr/bin/env bash
# Installs, builds and runs every test against a local Firebird server: first a
# normal build, then one with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
bash scripts/install-deps.sh
bash scripts/firebird-up.sh

run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j"$jobs"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 300
}

echo "== normal build =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTIBAR_WERROR=ON

echo "== sanitizer build (ASan + UBSan) =="
# The Firebird client library keeps a few process-lifetime allocations of its own.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVESTIBAR_SANITIZE=ON -DVESTIBAR_BUILD_BENCH=OFF
