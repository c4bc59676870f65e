#!/usr/bin/env bash
# Builds the release program and benchmarks, runs them, and prints Belltide's times as ratios to
# tar's, the extraction's also to cp copying the same bytes, the extraction's extra peak memory,
# the transfers' times as ratios to cp copying the same files between the same folders (the
# download also to cp followed by sync of those files, which puts them on disk as Belltide does),
# the sound conversion's against sox converting the same three minutes (needs sox and lame), and
# the program's start and memory against a bare window of the same toolkit (bench/startup.sh,
# needs Xvfb and openbox). Each ratio is given against the tool's whole time and against its time
# without its process start, which Belltide, measured inside one process, does not pay; the latter
# is the one that counts. Last comes the table of the goals, with the machine's load.
# With "audio", only the conversion; with "startup", only the start and memory.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBELLTIDE_TESTS=OFF > /dev/null
cmake --build build-release --target belltide belltide_archive_bench belltide_transfer_bench \
    belltide_audio_bench belltide_startup_frame belltide_startup_probe > /dev/null

results=$(mktemp)
trap 'rm -f "$results"' EXIT
loads=()
load() { loads+=("$(cut -d' ' -f1-3 /proc/loadavg)"); }

# ratios BENCHMARK FILTER TOOL "SIZES" "OPERATIONS": the medians of BM_Belltide<Op>/<i> against
# BM_<Tool><Op>/<i>, and against that less the tool's start alone (BM_<Tool>StartOnly). The
# repetitions of the benchmarks run interleaved, so that a change of the machine's load falls on
# both sides.
ratios() {
    load
    "build-release/bench/$1" --benchmark_filter="$2" --benchmark_repetitions="${REPETITIONS:-7}" \
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2>/dev/null |
    awk -F, -v tool="$3" -v sizes="$4" -v operations="$5" -v results="$results" '
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
                    printf "%-8s %-8s belltide %9.3f ms  %-6s %9.3f ms  ratio %5.2f  without its start ", label[i], op[j], ours, tolower(tool), theirs, ours / theirs
                    if (theirs > start) {
                        printf "%5.2f\n", ours / (theirs - start)
                        printf "%s-%s-%s %.2f\n", tolower(tool), label[i], op[j], ours / (theirs - start) >> results
                    } else {
                        printf "  n/a (no longer than its start)\n"
                    }
                }
            }
            printf "%s start alone: %.3f ms\n", tolower(tool), start
        }'
}

# goal KEY LIMIT TEXT: one line of the table, the ratio found under KEY against its limit.
goal() {
    awk -v key="$1" -v limit="$2" -v text="$3" '
        $1 == key { found = $2 }
        END {
            if (found == "") printf "  %-44s <= %4.2f  not measured\n", text, limit
            else printf "  %-44s <= %4.2f  %5.2f  %s\n", text, limit, found, found <= limit ? "met" : "NOT MET"
        }' "$results"
}

if [ "${1:-}" = audio ]; then
    ratios belltide_audio_bench "." Sox "mp3-44k flac-48k" "Convert"
    exit
fi
if [ "${1:-}" = startup ]; then
    bench/startup.sh
    exit
fi
ratios belltide_archive_bench "^BM_(Belltide|Tar)" Tar "typical large" "Pack Extract"
ratios belltide_archive_bench "^BM_(BelltideExtract|Cp)" Cp "typical large" "Extract"
build-release/bench/belltide_archive_bench --benchmark_filter=PeakMemory 2>/dev/null | grep -E 'PeakMemory'
ratios belltide_transfer_bench "^BM_(Belltide|Cp(Download|Upload|StartOnly))" Cp "factory large" \
    "Download Upload"
ratios belltide_transfer_bench "^BM_(BelltideDownload|CpSync)" CpSync "factory large" "Download"
ratios belltide_audio_bench "." Sox "mp3-44k flac-48k" "Convert"
load
RESULTS="$results" bench/startup.sh
load

echo
echo "Goals: Belltide's time (memory) over the other's, without its start (loads: ${loads[*]})"
goal cp-large-Download 1.3 "large download / cp"
goal cp-factory-Download 1.5 "factory download / cp"
goal cpsync-large-Download 1.0 "large download / cp and sync (to beat)"
goal cpsync-factory-Download 1.0 "factory download / cp and sync (to beat)"
goal cp-large-Upload 1.3 "large upload / cp"
goal cp-factory-Upload 1.3 "factory upload / cp"
goal cp-typical-Extract 1.3 "typical archive extraction / cp"
goal cp-large-Extract 1.3 "large archive extraction / cp"
goal sox-mp3-44k-Convert 1.0 "MP3 conversion / sox"
goal sox-flac-48k-Convert 1.0 "FLAC conversion / sox"
goal start 1.05 "start to the first window / bare frame"
goal memory 1.1 "resident memory after start / bare frame"
