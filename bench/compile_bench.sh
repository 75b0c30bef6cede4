#!/usr/bin/env bash
# Compile benchmark: times `quillmar-cli compile` on a generated program of
# LINES lines (default 1,000,000) against one `grep -cP` pass over the same
# file with the alternation of the twelve statement patterns, and prints the
# ratio. Target: at most 10.
#
# Usage: bench/compile_bench.sh [CLI] [LINES]
#   CLI    the quillmar-cli executable of a Release build
#          (default: build-release/cli/quillmar-cli)
# Each side runs three times; the best time of each counts.
set -euo pipefail
cd "$(dirname "$0")/.."

cli=${1:-build-release/cli/quillmar-cli}
lines=${2:-1000000}
if [ ! -x "$cli" ]; then
    echo "compile_bench: $cli not found; build it first:" >&2
    echo "  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release && cmake --build build-release -j2 --target quillmar-cli" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
program=$work/program.prgx
python3 bench/gen_program.py "$lines" > "$program"

# The twelve statement patterns, as the language defines them.
D='(Us|Uo|Is|Io|Out|M[1-8]|T[1-4]|K1|ExIn|ExOut)'
V='(-?\d+|Us|Uo|Is|Io|Out|M[1-8]|T[1-4]|K1|ExIn|ExOut)'
VA='(-?\d+|Us|Uo|Is|Io|Ro|Out|M[1-8]|T[1-4]|K1|ExIn|ExOut)'
T='\s*;\s*$'
patterns=(
    "^\s*nop$T"
    "^\s*$D\s*=\s*$VA$T"
    "^\s*if\s$D\s*(==|!=|<|<=|>|>=)\s*$V\s+#(\d\d?)(\s+else\s#(\d\d?))?$T"
    "^\s*jmp\s+#(\d\d?)$T"
    "^\s*delay_ms\s+(\d+)$T"
    "^\s*delay_s\s+(\d+)$T"
    "^\s*$D\s*\+=\s*$V$T"
    "^\s*$D\s*-=\s*$V$T"
    "^\s*$D\s*/=\s*$V$T"
    "^\s*$D\s*\*=\s*$V$T"
    "^\s*#(\d\d?)$T"
    "^\s*prgName\s*=\s*\"(\w{1,5})\"$T"
)
alternation=$(IFS='|'; echo "${patterns[*]}")

# Output goes to a file, not /dev/null: grep stops at the first match when
# it sees its output discarded.
best() {  # best wall time in nanoseconds of three runs of "$@"
    local best_ns=
    for _ in 1 2 3; do
        local start end
        start=$(date +%s%N)
        "$@" > "$work/out" || true
        end=$(date +%s%N)
        local ns=$((end - start))
        if [ -z "$best_ns" ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
    done
    echo "$best_ns"
}

matched=$(LC_ALL=C.UTF-8 grep -cP "$alternation" "$program" || true)
grep_ns=$(best env LC_ALL=C.UTF-8 grep -cP "$alternation" "$program")
cli_ns=$(best "$cli" compile "$program")
verdict=$("$cli" compile "$program" | tail -n 1)

awk -v l="$lines" -v b="$(stat -c %s "$program")" -v m="$matched" -v g="$grep_ns" -v c="$cli_ns" -v v="$verdict" 'BEGIN {
    printf "program:   %d lines, %d bytes, %d statement lines (grep count)\n", l, b, m
    printf "compile:   %.3f s  (%s)\n", c / 1e9, v
    printf "grep -cP:  %.3f s\n", g / 1e9
    printf "ratio:     %.2f  (target <= 10)\n", c / g
}'
