#!/usr/bin/env bash
# Builds the platform and program libraries that need no engine, and their test suites, with
# AddressSanitizer and UndefinedBehaviorSanitizer (preset "asan", in build-asan/), and runs them
# through CTest. A sanitizer's report stops its program, so the test fails. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset asan "${launcher[@]}"
cmake --build --preset asan
ctest --preset asan "$@"
