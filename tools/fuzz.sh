#!/usr/bin/env bash
# Builds the libFuzzer targets (CMake preset "fuzz", clang with ASan/UBSan) and runs each of them
# for the given number of seconds (default 30) on a copy of its seed corpus in build/fuzz/work/,
# so the seed corpora in fuzz/corpus/ stay small. Exits non-zero when any target crashed, leaked,
# tripped a sanitizer or timed out. Without clang++ the run is skipped (exit 0).
set -uo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [seconds-per-target]" >&2
    exit 2
fi
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ not found, fuzzing skipped"
    exit 0
fi

targets=(fuzz_cdib fuzz_language fuzz_ini fuzz_frame)
declare -A max_len=([fuzz_cdib]=65536 [fuzz_language]=16384 [fuzz_ini]=16384 [fuzz_frame]=65536)

cmake --preset fuzz >/dev/null || exit 1
cmake --build --preset fuzz -j2 --target "${targets[@]}" || exit 1

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp"

work=build/fuzz/work
failed=()
for t in "${targets[@]}"; do
    dir="$work/$t"
    rm -rf "$dir"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp fuzz/corpus/"$t"/* "$dir/corpus/"
    log="$dir/log.txt"
    "build/fuzz/fuzz/$t" -max_total_time="$seconds" -max_len="${max_len[$t]}" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -dict="fuzz/$t.dict" -artifact_prefix="$dir/artifacts/" \
        "$dir/corpus" >"$log" 2>&1
    rc=$?
    runs=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$log")
    if [ "$rc" -eq 0 ]; then
        echo "fuzz: $t ok, ${runs:-?} executions in ${seconds} s"
    else
        echo "fuzz: $t FAILED (exit $rc) after ${runs:-?} executions; log $log, inputs in $dir/artifacts/"
        tail -n 40 "$log"
        failed+=("$t")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: failed: ${failed[*]}"
    exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran clean"
