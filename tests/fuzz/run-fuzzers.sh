#!/bin/bash
# Runs each fuzz target for a set time, folds the new inputs that reach new
# code into its corpus under tests/fuzz/<target>/corpus, keeps every input
# that crashed, leaked, hung or ran out of memory under .../regressions (the
# replay in `make test` then fails until the fault is fixed), and prints one
# line of figures per target.
#   run-fuzzers.sh BUILD_DIR SECONDS TARGET...
set -u
build=$1 seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
work=$build/fuzz-work
mkdir -p "$work"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
report=$work/report.txt
: > "$report"
for target in "$@"; do
    binary=$build/tests/fuzz/$target
    inputs=$here/$target
    fresh=$work/$target/fresh
    findings=$work/$target/findings
    rm -rf "$fresh" "$findings" && mkdir -p "$fresh" "$findings" "$inputs/corpus" "$inputs/regressions"
    log=$work/$target/log.txt
    : > "$log"
    left=$seconds executions=0
    started=$(date +%s)
    # A fault ends a run; the rest of the time goes to a new run from the grown corpus.
    while [ "$left" -gt 0 ]; do
        "$binary" -max_total_time="$left" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=256 \
            -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/" \
            "$fresh" "$inputs/corpus" >> "$log" 2>&1
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
        executions=$((executions + ${runs:-0}))
        left=$((seconds - ($(date +%s) - started)))
        [ "$left" -gt 5 ] || break
    done
    elapsed=$(( $(date +%s) - started ))
    # Only inputs that add coverage join the kept corpus.
    "$binary" -merge=1 "$inputs/corpus" "$fresh" >> "$work/$target/merge.txt" 2>&1
    found=0
    for f in "$findings"/*; do
        [ -e "$f" ] || continue
        cp "$f" "$inputs/regressions/" && found=$((found + 1))
    done
    coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
    line=$(printf '%-22s %8d s %12d executions %8d exec/s  %s  corpus %d  findings %d' "$target" "$elapsed" \
        "$executions" $((executions / (elapsed > 0 ? elapsed : 1))) "${coverage:-cov: ?}" \
        "$(ls "$inputs/corpus" | wc -l)" "$found")
    echo "$line" | tee -a "$report"
done
echo "figures in $report; logs in $work/<target>/"
