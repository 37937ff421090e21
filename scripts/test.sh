#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite. --sanitize uses an ASan+UBSan build in build-asan/,
# --tsan a ThreadSanitizer build in build-tsan/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
flags=()
case "${1:-}" in
  --sanitize) build=build-asan; flags=(-DQUORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug); shift ;;
  --tsan)     build=build-tsan; flags=(-DQUORVANE_TSAN=ON -DCMAKE_BUILD_TYPE=Debug); shift ;;
esac
./scripts/setup.sh "$build" "${flags[@]}"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp"
ctest --test-dir "$build" --output-on-failure -j2 --timeout 600 "$@"
