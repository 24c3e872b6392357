#!/usr/bin/env bash
# open_process_bench.sh: the opening of a max-scale installation as a user meets it, a whole
# process, against the INI peer: inih parsing the same object files, extracted, in a process
# of its own. Paired runs, warm cache.
#
# The installation is `brix-sample-game --edition dsc --scale max --mods` (1023 units, heroes
# and buildings); the opening is `brix-archive table install --kind units` (both passes of the
# editor's opening, then one table of the units), with and without the IronTide package. The
# peer is brix_bench_inih_walk over every .ini file of the archive, extracted before timing
# (the object files, components, settings, colours, side lists and localisation). Start-up
# is the same pair over an installation without units, heroes or buildings, against the peer
# over no file at all. RUNS rounds (default 15), one of each per round.
#
# Usage: bench/open_process_bench.sh [BUILD_DIR]   (default: build-bench beside this directory)
# Needs bash 5 (EPOCHREALTIME), awk and coreutils.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh"
RUNS=${RUNS:-15}
bench_setup open_process_bench "${1:-}" awk
inih_walk=$build/bench/brix_bench_inih_walk
[ -x "$inih_walk" ] || fail "$inih_walk not found (configure with -DBRIX_BENCH=ON)"

"$sample" --edition dsc --scale max --mods --out install > /dev/null
"$sample" --edition dsc --units 0 --heroes 0 --buildings 0 --out empty > /dev/null
"$brix" extract install/Dravik.qsw -C corpus > /dev/null
mkdir nothing
mod=install/IronTide.qsx

# --- The check before timing ------------------------------------------------------------------

rows=$("$brix" table install --kind units --format json | grep -o '"unique_name"' | wc -l)
[ "$rows" -eq 1023 ] || fail "table listed $rows units, not 1023"
peer=$("$inih_walk" corpus)
files=${peer%% files*}
[ "$files" -gt 3000 ] || fail "the peer read $peer"
bytes=$(find corpus -type f -iname '*.ini' -printf '%s\n' | awk '{ s += $1 } END { print s }')
"$brix" table install --kind units --mod "$mod" > /dev/null || fail "table with the mod failed"
"$brix" table empty --kind units > /dev/null || fail "table of the empty installation failed"

# --- Timing -----------------------------------------------------------------------------------

labels=("open: brix-archive table --kind units"
        "open with IronTide: table --mod"
        "peer: inih over extracted .ini files"
        "start-up: table of no objects"
        "start-up peer: inih over nothing")
commands=('"$brix" table install --kind units > /dev/null'
          '"$brix" table install --kind units --mod "$mod" > /dev/null'
          '"$inih_walk" corpus > /dev/null'
          '"$brix" table empty --kind units > /dev/null'
          '"$inih_walk" nothing > /dev/null')
prepares=(':' ':' ':' ':' ':')
time_rounds

open=$(median_us "${times[0]}")
withmod=$(median_us "${times[1]}")
peer=$(median_us "${times[2]}")
start=$(median_us "${times[3]}")
startpeer=$(median_us "${times[4]}")

echo "max-scale installation: $rows units; peer: $files .ini files, $bytes bytes; $runs rounds; $(date -u '+%Y-%m-%d %H:%M UTC')"
machine_lines
echo
times_table
echo
echo "open / peer = $(ratio "$open" "$peer") (target: at most 1.5)"
echo "open with IronTide / peer = $(ratio "$withmod" "$peer") (target: at most 1.5)"
echo "start-up / start-up peer = $(ratio "$start" "$startpeer") (target: at most 1.3)"
