#!/usr/bin/env bash
# Installs what is missing, checks the sources' format, builds the companion
# with its tests and runs them: once in an optimised build (with the
# benchmarks compiled), once again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --with-tests
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

echo "== format"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "== tests"
run_suite build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVO_BUILD_BENCHMARKS=ON

echo "== Debian package"
scripts/check-package.sh build-tests

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# No strict_string_checks: the X11 keyboard library hands strndup a buffer
# without a terminating zero, within its bounds, which that check reports.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DLUMIVO_SANITIZERS=address,undefined
