#!/usr/bin/env bash
# Builds and runs every test. --sanitize: the same with AddressSanitizer and
# UndefinedBehaviorSanitizer, in its own build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
dir=build options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-asan options=(-DCMAKE_BUILD_TYPE=Debug -DFYN_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
