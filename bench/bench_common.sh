# bench_common.sh: what the whole-process benchmark scripts share, sourced by them.
#
#     bench_setup NAME BUILD_DIR TOOL...   the tools from BUILD_DIR, the tools checked, a fresh
#                                         work directory (removed at exit) made current
#     time_rounds                          RUNS rounds of every case of the arrays labels,
#                                         prepares (untimed, before each run) and commands;
#                                         wall times in microseconds into times[i]
#     median_us, ms, ratio, spread         figures from those times
#     machine_lines                        the machine and load lines of a report
#     times_table                          the table of every case's median and range

bench_setup() {
    bench_name=$1
    build=${2:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build-bench}
    build=$(cd "$build" && pwd)  # the work happens in a directory of its own
    shift 2
    runs=${RUNS:-9}
    brix=$build/tools/brix-archive/brix-archive
    sample=$build/tools/sample-game/brix-sample-game
    for tool in "$brix" "$sample" "$@"; do
        command -v "$tool" > /dev/null || fail "$tool not found"
    done
    work=$(mktemp -d "/tmp/brix_${bench_name}.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    cd "$work"
}

fail() { echo "${bench_name:-bench}: $*" >&2; exit 1; }

# Each run writes a fresh output named $o, after a `sync`, so that no earlier run's dirty pages
# are written back during it.
time_rounds() {
    declare -gA times
    mkdir -p runs
    for ((round = 0; round < runs; ++round)); do
        for i in "${!labels[@]}"; do
            o=runs/$round-$i
            eval "${prepares[$i]}"
            sync
            start=$EPOCHREALTIME
            eval "${commands[$i]}" || fail "failed: ${commands[$i]}"
            end=$EPOCHREALTIME
            times[$i]+="$(( ${end/./} - ${start/./} )) "
        done
    done
}

median_us() { tr ' ' '\n' <<< "$1" | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
spread() { tr ' ' '\n' <<< "$1" | grep . | sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.1f-%.1f", lo / 1000, hi / 1000 }'; }

machine_lines() {
    echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), kernel $(uname -r), $(df -T "$work" | awk 'NR == 2 { print $2 }') under $work"
    echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
}

times_table() {
    printf '| %-38s | %11s | %13s |\n' "Command" "Median (ms)" "Range (ms)"
    printf '|%s|%s|%s|\n' "----------------------------------------" "------------:" "--------------:"
    for i in "${!labels[@]}"; do
        printf '| %-38s | %11s | %13s |\n' "${labels[$i]}" "$(ms "$(median_us "${times[$i]}")")" "$(spread "${times[$i]}")"
    done
}
