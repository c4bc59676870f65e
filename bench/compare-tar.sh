#!/usr/bin/env bash
# Builds the release benchmarks, runs them, and prints Belltide's times as ratios to tar's
# (both with and without tar's process start), the extraction's extra peak memory, and the
# transfers' times as ratios to cp copying the same files between the same folders, and the sound
# conversion's against sox converting the same three minutes (needs sox and lame). With "audio",
# only the last.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBELLTIDE_TESTS=OFF > /dev/null
cmake --build build-release --target belltide_archive_bench belltide_transfer_bench \
    belltide_audio_bench > /dev/null

# ratios BENCHMARK FILTER TOOL "SIZES" "OPERATIONS": the medians of BM_Belltide<Op>/<i> against
# BM_<Tool><Op>/<i>, and against the tool without its start (BM_<Tool>StartOnly).
ratios() {
    "build-release/bench/$1" --benchmark_filter="$2" --benchmark_repetitions="${REPETITIONS:-5}" \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, -v tool="$3" -v sizes="$4" -v operations="$5" '
        /_median"/ {
            gsub(/"/, "", $1); sub(/_median$/, "", $1); sub(/\/real_time$/, "", $1)
            time[$1] = $3
        }
        END {
            start = time["BM_" tool "StartOnly"]
            n = split(sizes, label, " "); m = split(operations, op, " ")
            for (i = 1; i <= n; ++i) {
                for (j = 1; j <= m; ++j) {
                    ours = time["BM_Belltide" op[j] "/" (i - 1)]
                    theirs = time["BM_" tool op[j] "/" (i - 1)]
                    printf "%-8s %-8s belltide %9.3f ms  %s %9.3f ms  ratio %.2f", label[i], op[j], ours, tolower(tool), theirs, ours / theirs
                    if (theirs > start) printf "  (without its start %.2f)", ours / (theirs - start)
                    printf "\n"
                }
            }
            printf "%s start alone: %.3f ms\n", tolower(tool), start
        }'
}

if [ "${1:-}" = audio ]; then
    ratios belltide_audio_bench "." Sox "mp3-44k flac-48k" "Convert"
    exit
fi
ratios belltide_archive_bench "^BM_(Belltide|Tar)" Tar "typical large" "Pack Extract"
build-release/bench/belltide_archive_bench --benchmark_filter=PeakMemory 2>/dev/null | grep -E 'PeakMemory'
ratios belltide_transfer_bench "." Cp "factory large" "Download Upload"
ratios belltide_audio_bench "." Sox "mp3-44k flac-48k" "Convert"
