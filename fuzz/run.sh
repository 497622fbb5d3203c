#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds on its seed corpus, keeping what it
# finds in the build directory, and prints one line of figures per target. Fails on the
# first target that finds a crash, a leak, a broken invariant, a timeout or too much memory;
# the input that did it is in BUILD/fuzz-artifacts.
set -euo pipefail
build=${1:?build directory}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)

# target  seed corpus  token dictionary
targets=(
    "fuzz_component_read dictionary dictionary.dict"
    "fuzz_editor_read dictionary dictionary.dict"
    "fuzz_import import dictionary.dict"
    "fuzz_roundtrip dictionary dictionary.dict"
    "fuzz_decode_literal literal pascal.dict"
    "fuzz_normalize_form_text form-text pascal.dict"
    "fuzz_unit_scan unit pascal.dict"
    "fuzz_form_scan form pascal.dict"
    "fuzz_cpp_scan cpp cpp.dict"
    "fuzz_designer_form designer dictionary.dict"
    "fuzz_ts_read ts ts.dict"
    "fuzz_po_read po po.dict"
)

mkdir -p "$build/fuzz-artifacts"
summary=()
for entry in "${targets[@]}"; do
    read -r target seeds dict <<<"$entry"
    work="$build/fuzz-corpus/$target"
    log="$build/fuzz-artifacts/$target.log"
    mkdir -p "$work"
    echo "fuzz: $target for ${seconds}s"
    # Bounded input, time per input and memory: a hang or a blow-up is a finding too.
    if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
        "$build/fuzz/$target" "$work" "$here/corpus/$seeds" \
            -dict="$here/$dict" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
            -rss_limit_mb=4096 -print_final_stats=1 \
            -artifact_prefix="$build/fuzz-artifacts/$target-" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz: $target found a fault; the input is in $build/fuzz-artifacts/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    summary+=("$(printf '%-26s %10s runs %8s/s %6s edges' "$target" "$runs" "$speed" "${edges:-?}")")
done
printf 'fuzz: %s\n' "${summary[@]}"
