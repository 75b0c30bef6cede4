#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UBSan) in
# build/fuzz and runs each of them in turn; fails on the first finding.
#   scripts/fuzz.sh [SECONDS] [RUNS] [TARGET...]
# SECONDS per target (default 30, 0 for no limit), RUNS executions per
# target (default: no limit); whichever comes first ends a target's run.
# FUZZ_FLAGS adds libFuzzer options (for example FUZZ_FLAGS=-max_len=512).
# Inputs that found something are kept in build/fuzz/findings/<target>/;
# the growing corpus lives in build/fuzz/corpus/<target>/, seeded from
# fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
runs=${2:-}
shift $(( $# > 2 ? 2 : $# ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_reply fuzz_decoder fuzz_compiler fuzz_request)
fi

scripts/install-deps.sh cmake make clang libclang-rt-14-dev qtbase5-dev libqt5serialport5-dev

build=build/fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_FUZZ=ON
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

options=(-print_final_stats=1 -timeout=25 ${FUZZ_FLAGS:-})
[ "$seconds" -gt 0 ] && options+=(-max_total_time="$seconds")
[ -n "$runs" ] && options+=(-runs="$runs")

status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    log="$build/logs/$t.log"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    echo "== $t (${options[*]})"
    start=$(date +%s)
    if "$build/fuzz/$t" "${options[@]}" -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$t" \
        >"$log" 2>&1; then
        result=ok
    else
        result=FINDING
        status=1
    fi
    executed=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "$t: $result, $executed executions in $(( $(date +%s) - start )) s (log $log)"
    if [ "$result" != ok ]; then
        grep -E 'FUZZ_CHECK|ERROR|SUMMARY|runtime error' "$log" | head -20 || true
        ls "$findings"
    fi
done
exit $status
