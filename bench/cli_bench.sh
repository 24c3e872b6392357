#!/usr/bin/env bash
# cli_bench.sh: whole-process wall times of `brix-archive pack` and `brix-archive extract`
# against zip/unzip and tar, on the files of a max-scale sample game, in one run.
#
# The corpus is Dravik.qsw of `brix-sample-game --scale max`, extracted once. Every command
# then runs RUNS times (default 9) in rounds, one of each per round, each writing a fresh
# output in the same temporary directory, after a `sync` so that no earlier run's dirty pages
# are written back during it. The page cache stays warm for all: the corpus and the archives
# are read once before timing. Before timing, what every tool extracts must equal the corpus.
#
# Nothing is deleted until the end: ext4 creates files slowly for several seconds after many
# were deleted (it skips recently freed inodes, scanning the inode table for each new file),
# which made every extraction 10-20 times slower when the previous output was removed
# before each run.
#
# Usage: bench/cli_bench.sh [BUILD_DIR]     (default: build-bench beside this directory)
# Needs bash 5 (EPOCHREALTIME), zip, unzip, tar and coreutils.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh"
bench_setup cli_bench "${1:-}" zip unzip tar

"$sample" --edition dsc --scale max --out install > /dev/null
"$brix" extract install/Dravik.qsw -C corpus
files=$(find corpus -type f | wc -l)
bytes=$(find corpus -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')

# Each case: a label, what to do before it (untimed) and the timed command. $o is a fresh
# output name for each run; the extractions read the archives made by the check.
labels=() prepares=() commands=()
# Every packing run first lists the corpus, untimed: ext4 drops directory blocks from its
# cache between runs here, and whichever tool ran first in a round paid for reading them back.
warm='find corpus > /dev/null'
add() { labels+=("$1"); prepares+=("$2"); commands+=("$3"); }

add "pack: brix-archive pack"          "$warm" '"$brix" pack corpus -o "$o.qsx" --id SK --version 1.0'
ours_pack=$((${#labels[@]} - 1))
add "pack: brix-archive pack --no-sync" "$warm" '"$brix" pack corpus -o "$o.qsx" --id SK --version 1.0 --no-sync'
ours_pack_nosync=$((${#labels[@]} - 1))
add "pack: zip -0 -r -q"               "$warm" 'zip -0 -r -q "$o.zip" corpus'
add "pack: tar cf"                     "$warm" 'tar cf "$o.tar" corpus'
add "pack: zip -0 -r -q + sync FILE"   "$warm" 'zip -0 -r -q "$o.zip" corpus && sync "$o.zip"'
add "pack: tar cf + sync FILE"         "$warm" 'tar cf "$o.tar" corpus && sync "$o.tar"'
add "read floor: find + cat"           "$warm" 'find corpus -type f -exec cat {} + > /dev/null'
add "extract: brix-archive extract"    ":" '"$brix" extract check/out.qsx -C "$o"'
ours_extract=$((${#labels[@]} - 1))
add "extract: unzip -q"                ":" 'unzip -q check/out.zip -d "$o"'
add "extract: tar xf"                  'mkdir "$o"' 'tar xf check/out.tar -C "$o"'
add "write floor: cp -R"               ":" 'cp -R corpus "$o"'

# --- The check before timing: every archive holds exactly the corpus --------------------------

mkdir check
"$brix" pack corpus -o check/out.qsx --id SK --version 1.0
zip -0 -r -q check/out.zip corpus
tar cf check/out.tar corpus
"$brix" extract check/out.qsx -C check/brix
unzip -q check/out.zip -d check/unzip
mkdir check/tar && tar xf check/out.tar -C check/tar
diff -r corpus check/brix > /dev/null || fail "brix-archive pack + extract does not give back the corpus"
diff -r corpus check/unzip/corpus > /dev/null || fail "zip + unzip does not give back the corpus"
diff -r corpus check/tar/corpus > /dev/null || fail "tar does not give back the corpus"
[ "$("$brix" list check/out.qsx | wc -l)" -eq "$files" ] || fail "out.qsx does not hold $files files"
find corpus -type f -exec cat {} + > /dev/null

# --- Timing -----------------------------------------------------------------------------------

time_rounds

declare -A median
for i in "${!labels[@]}"; do median[$i]=$(median_us "${times[$i]}"); done

echo "corpus: $files files, $bytes bytes; $runs runs of each; $(date -u '+%Y-%m-%d %H:%M UTC')"
machine_lines
echo
fastest() { # the label prefix and "sync" or "" : the fastest peer case with or without an fsync
    local best=""
    for i in "${!labels[@]}"; do
        case ${labels[$i]} in "$1: brix-archive"*) continue ;; "$1: "*) ;; *) continue ;; esac
        case ${labels[$i]} in *sync*) [ "$2" = sync ] || continue ;; *) [ "$2" = sync ] && continue ;; esac
        if [ -z "$best" ] || [ "${median[$i]}" -lt "${median[$best]}" ]; then best=$i; fi
    done
    echo "$best"
}
printf '| %-32s | %11s | %13s | %12s |\n' "Command" "Median (ms)" "Range (ms)" "Ours / this"
printf '|%s|%s|%s|%s|\n' "----------------------------------" "------------:" "--------------:" "-------------:"
for i in "${!labels[@]}"; do
    case ${labels[$i]} in pack:*|read*) ours=$ours_pack ;; *) ours=$ours_extract ;; esac
    printf '| %-32s | %11s | %13s | %12s |\n' "${labels[$i]}" "$(ms "${median[$i]}")" \
        "$(spread "${times[$i]}")" "$(ratio "${median[$ours]}" "${median[$i]}")"
done
p=$(fastest pack "") ps=$(fastest pack sync) e=$(fastest extract "")
echo
echo "pack: ours / fastest peer, both synced to disk (${labels[$ps]#*: }) = $(ratio "${median[$ours_pack]}" "${median[$ps]}")"
echo "pack --no-sync: ours / fastest peer, neither synced (${labels[$p]#*: }) = $(ratio "${median[$ours_pack_nosync]}" "${median[$p]}")"
echo "extract: ours / fastest peer (${labels[$e]#*: }) = $(ratio "${median[$ours_extract]}" "${median[$e]}")"
