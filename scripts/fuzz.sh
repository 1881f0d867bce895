#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60), starting from
# the committed seed corpus. New inputs go to build-fuzz/corpus/, never into the checkout.
# Every target needs a seed corpus in fuzz/corpus/TARGET/; a target without one, one that does
# not start or ends early, or one that finds a failing input fails the script. The fuzz build
# does not sync report files to the disk (LUMO_NO_DISK_SYNC), so that each target runs well
# over 1,000 inputs a second; a slower one is reported.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMO_FUZZ=ON -DLUMO_BUILD_APP=OFF -DLUMO_BUILD_TESTS=OFF -DLUMO_BUILD_BENCH=OFF >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(sed -n 's/^lumo_fuzz_target(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt))
for t in "${targets[@]}"; do
    if [ -z "$(ls -A "fuzz/corpus/$t" 2>/dev/null)" ]; then
        echo "fuzz: $t has no seed corpus in fuzz/corpus/$t" >&2
        exit 1
    fi
done
cmake --build build-fuzz -j2 --target "${targets[@]}" ub_self_check

# Undefined behaviour must fail a run; a build that only reports it would pass every input.
printf overflow >build-fuzz/ub-input
if build-fuzz/fuzz/ub_self_check build-fuzz/ub-input >build-fuzz/ub-self-check.log 2>&1 ||
    ! grep -q "runtime error" build-fuzz/ub-self-check.log; then
    echo "fuzz: undefined behaviour does not stop a run; check the sanitizer flags" >&2
    exit 1
fi

failed=0
for t in "${targets[@]}"; do
    work="build-fuzz/corpus/$t"
    log="build-fuzz/$t.log"
    mkdir -p "$work" build-fuzz/artifacts
    echo "== $t for ${seconds}s"
    status=0
    "build-fuzz/fuzz/$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" \
        -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 -max_len=8192 \
        -timeout=10 -rss_limit_mb=2048 >"$log" 2>&1 || status=$?
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|==[0-9]+==ERROR|SUMMARY|Done)' "$log" || true
    if ls build-fuzz/artifacts/*-* >/dev/null 2>&1; then
        echo "fuzz: $t found a failing input:" >&2
        ls build-fuzz/artifacts >&2
        exit 1
    fi
    # A target that exits at once (a missing folder, a bad flag) prints no statistics.
    runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *\([0-9]*\).*/\1/p' "$log")
    if [ "$status" -ne 0 ] || [ -z "$runs" ] || [ "$runs" -eq 0 ]; then
        echo "fuzz: $t did not run (exit status $status, ${runs:-no} inputs); see $log" >&2
        tail -n 5 "$log" >&2
        failed=1
    elif [ "${rate:-0}" -lt 1000 ] && [ "$seconds" -ge 10 ]; then
        echo "fuzz: $t ran only ${rate:-0} inputs a second (1,000 expected)" >&2
    fi
done
exit "$failed"
