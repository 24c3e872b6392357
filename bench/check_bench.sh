#!/usr/bin/env bash
# check_bench.sh: whole-process wall times of `brix-archive check` and `brix-archive diff` on
# the max-scale installation with a mod, against the opening of the same project, in one run.
#
# The installation is `brix-sample-game --edition dsc --scale max --mods` (1023 units, heroes
# and buildings) and the mod its IronTide.qsx. The opening is `brix-archive history`, the
# cheapest command that opens a mod as the editor does (both passes) and does nothing much
# else (its global history is one pass over the objects); check opens the same and checks
# every object as a save would write it; diff compares the game with the mod (one opening, both
# passes, then the comparison). RUNS rounds (default 9), one of each per round, warm cache.
# Before timing, check must find nothing in the sample mod and diff must report differences.
#
# Usage: bench/check_bench.sh [BUILD_DIR]     (default: build-bench beside this directory)
# Needs bash 5 (EPOCHREALTIME), awk and coreutils.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh"
bench_setup check_bench "${1:-}" awk

"$sample" --edition dsc --scale max --mods --out install > /dev/null
mod=install/IronTide.qsx
[ -f "$mod" ] || fail "the sample installation has no $mod"

# --- The check before timing ------------------------------------------------------------------

"$brix" check install --mod "$mod" > check.out || fail "check found errors in the sample mod: $(head -3 check.out)"
[ ! -s check.out ] || fail "check found something in the sample mod: $(head -3 check.out)"
status=0
"$brix" diff install "$mod" > diff.out || status=$?
[ "$status" -eq 1 ] || fail "diff exited $status, not 1 (different)"
lines=$(wc -l < diff.out)
[ "$lines" -gt 0 ] || fail "diff reported no differences"
"$brix" history install --mod "$mod" > /dev/null || fail "history failed"

# --- Timing -----------------------------------------------------------------------------------

labels=("open: brix-archive history" "check: brix-archive check" "diff: brix-archive diff (game, mod)")
commands=('"$brix" history install --mod "$mod" > /dev/null'
          '"$brix" check install --mod "$mod" > /dev/null'
          '"$brix" diff install "$mod" > /dev/null; [ $? -eq 1 ]')
prepares=(':' ':' ':')
time_rounds

open_median=$(median_us "${times[0]}")
check_median=$(median_us "${times[1]}")
diff_median=$(median_us "${times[2]}")

echo "max-scale installation with $mod; diff: $lines lines; $runs runs of each; $(date -u '+%Y-%m-%d %H:%M UTC')"
machine_lines
echo
times_table
echo
echo "check / open = $(ratio "$check_median" "$open_median") (target: at most 1.3)"
echo "diff / open = $(ratio "$diff_median" "$open_median") (target: at most 1.3)"
