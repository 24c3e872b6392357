#!/usr/bin/env bash
# Runs every fuzz target for MINUTES minutes (default 10) from a copy of its seeds, one after
# the other, and says which found something. Builds the targets first in build-fuzz (clang,
# AddressSanitizer and UndefinedBehaviorSanitizer, which stops at its first report); the
# environment variable BRIX_FUZZ_BUILD names another build folder.
#
#     scripts/fuzz.sh [MINUTES]
#
# Findings are left as crash-*, leak-*, timeout-* files in the target's corpus folder, which
# is kept (and named) when a target fails.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ]; then
    echo "usage: scripts/fuzz.sh [MINUTES]  (a whole number of minutes, 1 or more)" >&2
    exit 2
fi

build=${BRIX_FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIX_FUZZ=ON \
    -DBRIX_TESTS=OFF -DBRIX_GUI=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:abort_on_error=1}
failed=0
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
    name=$(basename "$fuzzer")
    seeds=tests/fuzz/seeds/${name%_fuzz}
    corpus=$(mktemp -d "/tmp/brix-fuzz-${name%_fuzz}-XXXXXX")
    cp "$seeds"/* "$corpus"/
    echo "== $name for $minutes min from $seeds"
    if (cd "$corpus" && "$OLDPWD/$fuzzer" -max_total_time=$((minutes * 60)) -print_final_stats=1 "$corpus" \
            > "$corpus/run.log" 2>&1); then
        tail -n 12 "$corpus/run.log" | grep -E "stat::number_of_executed_units|stat::new_units_added" || true
        rm -rf "$corpus"
    else
        echo "!! $name failed; its log and findings are in $corpus" >&2
        tail -n 30 "$corpus/run.log" >&2
        failed=1
    fi
done
exit $failed
