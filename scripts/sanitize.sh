#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer (leak
# checking on) into build-asan/ and runs every test there. Any memory error, leak or
# undefined behaviour fails the test it happens in. Exits with ctest's status.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ ! -f build-asan/CMakeCache.txt ]; then
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTAVIS_SANITIZE=ON
fi
cmake --build build-asan -j2

suppressions="$PWD/scripts/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

cd build-asan
status=0
ctest --output-on-failure -j2 --timeout 900 -E '_under_xvfb$' || status=$?
# The tests under a virtual X display start the real program with the system's X, GL and
# D-Bus libraries, which keep memory to the end of the process: there every memory error
# and undefined behaviour still fails the test, but leaks are not looked for.
ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" \
    ctest --output-on-failure -j2 --timeout 900 -R '_under_xvfb$' || status=$?
exit $status
