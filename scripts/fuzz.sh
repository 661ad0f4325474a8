#!/usr/bin/env bash
# Runs the fuzz targets of tests/fuzz under libFuzzer, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer and without the engine in build-fuzz/.
#
#   scripts/fuzz.sh [TARGET|all] [SECONDS]     (default: all, 60 seconds each)
#
# Each target starts from its seeds (tests/fuzz/corpus/TARGET, only read) and the inputs found
# before; new inputs go to build-fuzz/corpus/TARGET, crashes, hangs (10 s), leaks and memory
# blow-ups (2 GB) to build-fuzz/crashes/TARGET, the log to build-fuzz/logs/TARGET.log. An input
# that shows a fault belongs in the seed corpus once fixed, so that every test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

target="${1:-all}"
seconds="${2:-60}"
mapfile -t targets < <(ls tests/fuzz/corpus)
if [ "$target" != all ]; then
    if [ ! -d "tests/fuzz/corpus/$target" ]; then
        echo "fuzz: unknown target '$target' (known: ${targets[*]})" >&2
        exit 2
    fi
    targets=("$target")
fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "fuzz: SECONDS must be a positive number" >&2
    exit 2
fi

scripts/install-deps.sh clang-14 libclang-rt-14-dev lld-14
cmake -S . -B build-fuzz -G Ninja \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_BUILD_TYPE=Fuzz -DCMAKE_C_FLAGS_FUZZ="-O1 -g" -DCMAKE_CXX_FLAGS_FUZZ="-O1 -g" \
    -DQM_ENGINE=OFF -DQM_FUZZ=ON -DQM_SANITIZERS=address,undefined >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
summary=()
for t in "${targets[@]}"; do
    corpus="build-fuzz/corpus/$t"
    crashes="build-fuzz/crashes/$t"
    log="build-fuzz/logs/$t.log"
    mkdir -p "$corpus" "$crashes" build-fuzz/logs
    echo "fuzz: $t for $seconds s" >&2
    result=0
    "build-fuzz/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "tests/fuzz/corpus/$t" \
        >"$log" 2>&1 || result=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    found=$(find "$crashes" -type f | wc -l)
    summary+=("$(printf '%-18s %6s s %12s executions %4s faults saved %5s corpus entries' \
        "$t" "$seconds" "${executions:-?}" "$found" "$(find "$corpus" -type f | wc -l)")")
    if [ "$result" -ne 0 ]; then
        status=1
        echo "fuzz: $t stopped on a fault (exit $result); see $log and $crashes" >&2
    fi
done
printf '%s\n' "${summary[@]}"
exit "$status"
