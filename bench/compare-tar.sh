#!/usr/bin/env bash
# Builds the release benchmarks, runs them, and prints Belltide's times as ratios to tar's
# (both with and without tar's process start), the extraction's extra peak memory, and the
# transfers' times as ratios to cp copying the same files between the same folders.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBELLTIDE_TESTS=OFF > /dev/null
cmake --build build-release --target belltide_archive_bench belltide_transfer_bench > /dev/null
build-release/bench/belltide_archive_bench --benchmark_filter="^BM_(Belltide|Tar)" \
    --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
awk -F, '
    /_median"/ {
        gsub(/"/, "", $1); sub(/_median$/, "", $1); sub(/\/real_time$/, "", $1)
        time[$1] = $3
    }
    END {
        start = time["BM_TarStartOnly"]
        split("typical large", label, " ")
        for (i = 0; i <= 1; ++i) {
            for (op = 1; op <= 2; ++op) {
                name = (op == 1) ? "Pack" : "Extract"
                ours = time["BM_Belltide" name "/" i]; tar = time["BM_Tar" name "/" i]
                work = tar - start
                printf "%-8s %-7s belltide %9.3f ms  tar %9.3f ms  ratio %.2f", label[i + 1], name, ours, tar, ours / tar
                if (work > 0) printf "  (to tar without its start %.2f)", ours / work
                printf "\n"
            }
        }
        printf "tar start alone: %.3f ms\n", start
    }'
build-release/bench/belltide_archive_bench --benchmark_filter=PeakMemory 2>/dev/null | grep -E 'PeakMemory'
build-release/bench/belltide_transfer_bench --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
awk -F, '
    /_median"/ {
        gsub(/"/, "", $1); sub(/_median$/, "", $1); sub(/\/real_time$/, "", $1)
        time[$1] = $3
    }
    END {
        start = time["BM_CpStartOnly"]
        split("factory large", label, " ")
        for (i = 0; i <= 1; ++i) {
            for (op = 1; op <= 2; ++op) {
                name = (op == 1) ? "Download" : "Upload"
                ours = time["BM_Belltide" name "/" i]; cp = time["BM_Cp" name "/" i]
                work = cp - start
                printf "%-8s %-8s belltide %9.3f ms  cp %9.3f ms  ratio %.2f", label[i + 1], name, ours, cp, ours / cp
                if (work > 0) printf "  (to cp without its start %.2f)", ours / work
                printf "\n"
            }
        }
        printf "cp start alone: %.3f ms\n", start
    }'
