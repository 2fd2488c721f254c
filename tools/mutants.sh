#!/usr/bin/env bash
# Mutation sample: applies each mutation of tools/mutants.txt to src/ in turn, rebuilds the debug
# build in build/mutants, runs the tests whose programs the rebuild touched, and restores the file.
# A mutant is killed when a test fails, or times out twice in a row (a busy machine can make a
# test slow once). Prints killed or survived per mutant, then the
# share killed and the survivors; a mutation whose snippet is no longer in src/ is "not applicable"
# and one that does not compile is "stillborn", and neither counts.
#
#   tools/mutants.sh [--timeout SECONDS] [--jobs N] [--skip-baseline] [ID ...]
#
# IDs pick mutations (all when none are given); --jobs runs that many tests at once; the baseline
# (the whole suite must pass before any mutation) can be skipped when it was just run.
#
# MUTANTS_BUILD names another build folder (e.g. an existing debug build) to save a full build.
# Results also go to BUILD/mutants-results.txt. The source tree is restored on every exit,
# Ctrl-C included; do not edit src/ while it runs.
set -uo pipefail
cd "$(dirname "$0")/.."

timeout=120
jobs=1
seed=15
baseline=1
ids=()
while [ $# -gt 0 ]; do
    case "$1" in
    --timeout) timeout=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --skip-baseline) baseline=0; shift ;;
    -h | --help) sed -n '2,15p' "$0"; exit 0 ;;
    *) ids+=("$1"); shift ;;
    esac
done

list=tools/mutants.txt
helper="python3 tools/mutate.py"
build=${MUTANTS_BUILD:-build/mutants}
results="$build/mutants-results.txt"
program="$build/src/app/brimholt-tavelon"
export QT_QPA_PLATFORM=offscreen

[ ${#ids[@]} -eq 0 ] && mapfile -t ids < <($helper list "$list")

backup=$(mktemp -d)
# mutate.py saves the file's path and text to $backup/path and $backup/original before it writes.
restore() {
    if [ -f "$backup/path" ]; then
        # A fresh time stamp, so the next build compiles the file again.
        cp "$backup/original" "$(cat "$backup/path")"
        rm -f "$backup/path" "$backup/original"
    fi
}
trap 'restore; rm -rf "$backup"' EXIT
trap 'echo; echo "mutants: interrupted; the source is restored" >&2; exit 130' INT TERM

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELON_BUILD_BENCH=OFF >/dev/null || exit 2
fi
echo "== Baseline: build and the whole suite without mutations"
if ! cmake --build "$build" >"$backup/build.log" 2>&1; then
    cat "$backup/build.log"
    echo "mutants: the unmutated tree does not build" >&2
    exit 2
fi
if [ "$baseline" = 1 ]; then
    started=$(date +%s)
    if ! ctest --test-dir "$build" --timeout "$timeout" -j "$jobs" >"$backup/ctest.log" 2>&1; then
        grep -A50 'tests FAILED' "$backup/ctest.log"
        echo "mutants: the suite fails without mutations" >&2
        exit 2
    fi
    echo "suite: $(($(date +%s) - started)) s"
fi

: >"$results"
killed=0
survived=0
notApplicable=()
stillborn=()
survivors=()
for id in "${ids[@]}"; do
    t0=$(date +%s)
    touch "$backup/marker"
    sleep 1 # time stamps of the rebuild must be newer than the marker
    where=$($helper apply "$list" "$id" "$seed" "$backup" 2>&1) || { echo "mutants: $where" >&2; exit 2; }
    if [ -z "$where" ]; then
        line="$id not applicable"
        notApplicable+=("$id")
    else
        read -r file lineNo <<<"$where"
        if ! cmake --build "$build" >"$backup/build.log" 2>&1; then
            line="$id stillborn (does not compile)  $file:$lineNo"
            stillborn+=("$id")
        else
            find "$build" -type f -perm -u+x -newer "$backup/marker" >"$backup/changed"
            ctest --test-dir "$build" --show-only=json-v1 >"$backup/tests.json" 2>/dev/null
            numbers=$($helper tests "$backup/tests.json" "$backup/changed" "$program")
            if [ -z "$numbers" ]; then
                verdict=survived
                detail="no test runs this code"
            elif ctest --test-dir "$build" -I "0,0,0,$numbers" --stop-on-failure --timeout "$timeout" \
                --repeat after-timeout:2 -j "$jobs" >"$backup/ctest.log" 2>&1; then
                verdict=survived
                detail="$(grep -o '[0-9]* tests passed' "$backup/ctest.log" | head -1 || true)"
            else
                verdict=killed
                detail="by $(sed -n '/tests FAILED/,$p' "$backup/ctest.log" | sed -n '2p' |
                    sed -E 's/^[[:space:]]*[0-9]+ - //')"
            fi
            if [ "$verdict" = killed ]; then
                killed=$((killed + 1))
            else
                survived=$((survived + 1))
                survivors+=("$id $file:$lineNo  $($helper describe "$list" "$id")")
            fi
            line="$id $verdict  $file:$lineNo  ($detail, $(($(date +%s) - t0)) s)"
        fi
        restore
    fi
    echo "$line" | tee -a "$results"
done

total=$((killed + survived))
echo
echo "== Killed $killed of $total$([ $total -gt 0 ] && echo " ($(echo "scale=1; 100 * $killed / $total" | bc) %)")"
[ ${#notApplicable[@]} -gt 0 ] && echo "not applicable: ${notApplicable[*]}"
[ ${#stillborn[@]} -gt 0 ] && echo "stillborn: ${stillborn[*]}"
if [ ${#survivors[@]} -gt 0 ]; then
    echo "survivors:"
    printf '  %s\n' "${survivors[@]}"
fi
{
    echo "killed $killed of $total"
    echo "not applicable: ${notApplicable[*]:-}"
    echo "stillborn: ${stillborn[*]:-}"
} >>"$results"
