#!/usr/bin/env bash
# save_bench.sh: whole-process wall times of `brix-archive save` with every unit, hero and
# building changed, against `brix-archive pack` of the files that save wrote, in one run.
#
# The installation is `brix-sample-game --edition dsc --scale max` (1023 units, heroes and
# buildings). For each of the three kinds a table of two columns, unique_name and
# ObjectData/MaxHitPoints, gives every object of the kind a new value (the names come from
# `brix-archive table --format json`, one object a line). The timed save opens the game as the
# editor does (both passes), applies the three tables (3069 edits), runs the save checks and
# writes the package; the timed pack packs the package's files, extracted once beforehand, into
# an archive of its own. Both sync their output to disk. RUNS rounds (default 9), one save and
# one pack per round, each writing a fresh output after a `sync`; the page cache is warm for
# both. Before timing, the saved package must hold every object's file, pass `verify`, and
# show every new value in `table`; the packed archive must list the same files.
#
# Usage: bench/save_bench.sh [BUILD_DIR]     (default: build-bench beside this directory)
# Needs bash 5 (EPOCHREALTIME), sed, awk and coreutils.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh"
bench_setup save_bench "${1:-}" sed awk

"$sample" --edition dsc --scale max --out install > /dev/null

# One table per kind: every object's MaxHitPoints set to a value no loaded one has (the game's
# are written with a fraction, "133.0").
for kind in units heroes buildings; do
    "$brix" table install --kind "$kind" --format json |
        sed -n 's/^,\{0,1\}{"unique_name":"\([^"]*\)".*/\1/p' |
        awk 'BEGIN { print "unique_name,ObjectData/MaxHitPoints" } { printf "%s,%d\r\n", $0, 100 + NR % 900 }' \
            > "$kind.csv"
done
objects=$(( $(wc -l < units.csv) + $(wc -l < heroes.csv) + $(wc -l < buildings.csv) - 3 ))
[ "$objects" -eq 3069 ] || fail "the tables name $objects objects, not 3069"

save_args=(save install --name Bench --id BE --force
           --csv units.csv --kind units --csv heroes.csv --kind heroes --csv buildings.csv --kind buildings)

# --- The check before timing ------------------------------------------------------------------

"$brix" "${save_args[@]}" > save.out || fail "save failed"
grep -q '^Mod built with no errors\.$' save.out || fail "save did not report a built mod"
"$brix" verify install/Bench.qsx > /dev/null || fail "the saved package does not verify"
"$brix" extract install/Bench.qsx -C saved
files=$(find saved -type f | wc -l)
bytes=$(find saved -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
inis=$("$brix" list install/Bench.qsx | grep -ci '\\objectdata\\[a-z]*\\.*\.ini$')
[ "$inis" -ge 3069 ] || fail "the saved package holds $inis object files, fewer than 3069"
# Every object must read back; one whose new value does not is named (a saved edit lost).
for kind in units heroes buildings; do
    "$brix" table install --mod install/Bench.qsx --kind "$kind" --format json |
        sed -n 's/^,\{0,1\}{"unique_name":"\([^"]*\)".*"ObjectData\/MaxHitPoints":"\([^"]*\)".*/\1,\2/p' |
        awk -v kind="$kind" '
            BEGIN { getline line < (kind ".csv")
                    while ((getline line < (kind ".csv")) > 0) { sub(/\r$/, "", line); split(line, f, ","); want[f[1]] = f[2]; n++ } }
            { split($0, f, ","); seen++; if (want[f[1]] != f[2]) { bad++; names = names " " f[1] } }
            END { if (seen != n) { print kind ": " seen " objects read back, not " n > "/dev/stderr"; exit 1 }
                  if (bad) print "save_bench: note: " bad " " kind " did not read back their new value:" names > "/dev/stderr" }' ||
        fail "the saved package does not read back"
done
mkdir check
"$brix" pack saved -o check/packed.qsx --id BE --version 0.0.0.1
[ "$("$brix" list check/packed.qsx | wc -l)" -eq "$files" ] || fail "the packed archive does not hold $files files"
find saved -type f -exec cat {} + > /dev/null

# --- Timing -----------------------------------------------------------------------------------

labels=("save: brix-archive save (3069 edits)" "pack: brix-archive pack (its files)")
commands=('"$brix" "${save_args[@]}" > /dev/null'
          '"$brix" pack saved -o "$o.qsx" --id BE --version 0.0.0.1')
prepares=('find saved > /dev/null' 'find saved > /dev/null')
time_rounds

save_median=$(median_us "${times[0]}")
pack_median=$(median_us "${times[1]}")

echo "saved package: $files files, $bytes bytes; $runs runs of each; $(date -u '+%Y-%m-%d %H:%M UTC')"
machine_lines
echo
times_table
echo
echo "save / pack = $(ratio "$save_median" "$pack_median") (target: at most 1.5)"
