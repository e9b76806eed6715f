#!/usr/bin/env bash
# One command for Vorlant's benchmarks: builds the bench preset, generates a synthetic tree (sparse
# files, kept for later runs), then times `vorlant --list` in all three rankings against ncdu, gdu
# and find | sort | head, warm cache, interleaved in one run, and runs the list benchmarks.
# Usage: bench/run.sh [--quick] [--files N] [--rounds R] [--tree DIR]
#   default: 1,000,000 files in 50,000 folders, 3 rounds; --quick: 100,000 files.
set -euo pipefail
cd "$(dirname "$0")/.."

files=1000000
rounds=3
tree=""
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) files=100000 ;;
        --files) files="$2"; shift ;;
        --rounds) rounds="$2"; shift ;;
        --tree) tree="$2"; shift ;;
        -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "bench/run.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
    shift
done
tree=${tree:-${TMPDIR:-/tmp}/vorlant-bench-tree-$files}

scripts/deps.sh build bench
cmake --preset bench -G Ninja >/dev/null
cmake --build --preset bench --target vorlant gentree FllistBench >/dev/null
vorlant=$PWD/build/bench/src/app/vorlant

if [ ! -e "$tree.complete" ]; then
    echo "Generating $files files in $tree ..." >&2
    rm -rf "$tree"
    build/bench/bench/gentree "$tree" "$files"
    touch "$tree.complete"
fi
empty=$(mktemp -d)
results=$(mktemp)
trap 'rm -rf "$empty" "$results"' EXIT

names=(vorlant-greatest vorlant-oldest vorlant-newest ncdu gdu find-sort)
command_of() {
    case "$1" in
        vorlant-greatest) echo "$vorlant --list --show greatest $tree" ;;
        vorlant-oldest) echo "$vorlant --list --show oldest $tree" ;;
        vorlant-newest) echo "$vorlant --list --show newest $tree" ;;
        ncdu) echo "ncdu -0 -x -o /dev/null $tree" ;;
        gdu) echo "gdu -n -p -x $tree" ;;
        find-sort) echo "find $tree -xdev -type f -printf '%s %p\n' | sort -rn | head -21" ;;
    esac
}
# Appends "name wall user sys maxrss_kb" to the results.
measure() {
    local out
    out=$(mktemp)
    /usr/bin/time -f "%e %U %S %M" -o "$out" bash -c "$(command_of "$1")" >/dev/null 2>&1
    echo "$1 $(tail -1 "$out")" >>"$results"
    rm -f "$out"
}

echo "Warming the cache ..." >&2
for name in "${names[@]}"; do
    bash -c "$(command_of "$name")" >/dev/null 2>&1
done
for ((round = 1; round <= rounds; round++)); do
    echo "Round $round of $rounds ..." >&2
    for name in "${names[@]}"; do
        measure "$name"
    done
done
baseline=$(/usr/bin/time -f "%M" "$vorlant" --list "$empty" 2>&1 >/dev/null | tail -1)

echo
echo "Tree: $tree ($files files), warm cache, $rounds interleaved rounds (medians), $(nproc) cores"
awk -v files="$files" -v baseline="$baseline" '
    { wall[$1] = wall[$1] " " $2; cpu[$1] = cpu[$1] " " ($3 + $4); if ($5 > mem[$1]) mem[$1] = $5 }
    function median(list,   n, a, i, j, t) {
        n = split(list, a, " ")
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    END {
        split("vorlant-greatest vorlant-oldest vorlant-newest ncdu gdu find-sort", order, " ")
        printf "%-18s %8s %8s %10s %12s\n", "program", "wall s", "cpu s", "peak MiB", "files/s"
        for (i = 1; i <= 6; i++) {
            n = order[i]; w[n] = median(wall[n]); c[n] = median(cpu[n])
            printf "%-18s %8.2f %8.2f %10.1f %12.0f\n", n, w[n], c[n], mem[n] / 1024, files / (w[n] > 0 ? w[n] : 1)
        }
        printf "\nWall-time ratios (vorlant / peer):\n"
        for (i = 1; i <= 3; i++)
            printf "  %-16s ncdu %.2f   gdu %.2f   find-sort %.2f   greatest %.2f\n", order[i],
                   w[order[i]] / w["ncdu"], w[order[i]] / w["gdu"], w[order[i]] / w["find-sort"],
                   w[order[i]] / w["vorlant-greatest"]
        printf "\nvorlant peak memory above its empty baseline (%.1f MiB): %.1f bytes per file\n",
               baseline / 1024, (mem["vorlant-greatest"] - baseline) * 1024 / files
    }' "$results"

echo
echo "List operations on one million records (Google Benchmark):"
build/bench/bench/FllistBench --benchmark_min_time=0.5

echo
echo "Settings store: one value written to / read from an INI file and a registry hive (Google Benchmark):"
cmake --build --preset bench --target WinstateBench >/dev/null
build/bench/bench/WinstateBench --benchmark_min_time=0.2

echo
echo "The window on the same tree (offscreen): GUI-thread gaps during the scan, re-rank and redraw:"
cmake --build --preset bench --target vorlant-ui-bench >/dev/null
build/bench/bench/vorlant-ui-bench --tree "$tree" 2>/dev/null | grep -v propagateSizeHints
