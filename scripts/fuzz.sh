#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60), starting from
# the committed seed corpus. New inputs go to build-fuzz/corpus/, never into the checkout.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLUMO_FUZZ=ON -DLUMO_BUILD_APP=OFF -DLUMO_BUILD_TESTS=OFF -DLUMO_BUILD_BENCH=OFF >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(sed -n 's/^lumo_fuzz_target(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt))
cmake --build build-fuzz -j2 --target "${targets[@]}" ub_self_check

# Undefined behaviour must fail a run; a build that only reports it would pass every input.
printf overflow >build-fuzz/ub-input
if build-fuzz/fuzz/ub_self_check build-fuzz/ub-input >build-fuzz/ub-self-check.log 2>&1 ||
    ! grep -q "runtime error" build-fuzz/ub-self-check.log; then
    echo "fuzz: undefined behaviour does not stop a run; check the sanitizer flags" >&2
    exit 1
fi

for t in "${targets[@]}"; do
    work="build-fuzz/corpus/$t"
    mkdir -p "$work" build-fuzz/artifacts
    echo "== $t for ${seconds}s"
    "build-fuzz/fuzz/$t" "$work" "fuzz/corpus/$t" -max_total_time="$seconds" \
        -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 -max_len=8192 \
        -timeout=10 -rss_limit_mb=2048 2>&1 | grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|==[0-9]+==ERROR|SUMMARY|Done)' || true
    if ls build-fuzz/artifacts/*-* >/dev/null 2>&1; then
        echo "fuzz: $t found a failing input:" >&2
        ls build-fuzz/artifacts >&2
        exit 1
    fi
done
