#!/usr/bin/env bash
# Builds the release benchmarks, runs them, and prints Belltide's times as ratios to tar's, the
# extraction's also to cp copying the same bytes, the extraction's extra peak memory, and the
# transfers' times as ratios to cp copying the same files between the same folders, and the sound
# conversion's against sox converting the same three minutes (needs sox and lame). With "audio",
# only the last. Each ratio is given against the tool's whole time and against its time without
# its process start, which Belltide, measured inside one process, does not pay; the latter is
# the one that counts.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBELLTIDE_TESTS=OFF > /dev/null
cmake --build build-release --target belltide_archive_bench belltide_transfer_bench \
    belltide_audio_bench > /dev/null

# ratios BENCHMARK FILTER TOOL "SIZES" "OPERATIONS": the medians of BM_Belltide<Op>/<i> against
# BM_<Tool><Op>/<i>, and against that less the tool's start alone (BM_<Tool>StartOnly).
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
                    printf "%-8s %-8s belltide %9.3f ms  %-4s %9.3f ms  ratio %5.2f  without its start ", label[i], op[j], ours, tolower(tool), theirs, ours / theirs
                    if (theirs > start) printf "%5.2f\n", ours / (theirs - start)
                    else printf "  n/a (no longer than its start)\n"
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
ratios belltide_archive_bench "^BM_(BelltideExtract|Cp)" Cp "typical large" "Extract"
build-release/bench/belltide_archive_bench --benchmark_filter=PeakMemory 2>/dev/null | grep -E 'PeakMemory'
ratios belltide_transfer_bench "." Cp "factory large" "Download Upload"
ratios belltide_audio_bench "." Sox "mp3-44k flac-48k" "Convert"
