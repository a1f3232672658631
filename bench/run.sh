#!/usr/bin/env bash
# Whole-process speed and memory of the listing beside its peers: cat (which
# copies the file), xxhsum -H3 (which hashes it) and, as the floor, a bare
# read() loop in chunks of the tool's long reads (the bench preset's
# read_loop, or READ_LOOP).
# usage: bench/run.sh TOOL [TOOL...]     (e.g. build/release/vantrel build/portable/vantrel)
# Makes random files of 1 KiB, 64 MiB and 1 GiB (in $BENCH_DIR, default /tmp),
# reads them into the page cache, and runs every tool and every peer on each,
# output to /dev/null and to a file in $BENCH_DIR, round after round in turn,
# so that each pair is measured in alternation. It prints per file and
# output the median wall time of each command, and for each tool the median
# of its per-round ratio to each peer, MiB/s and the peak RSS (GNU time's %M).
# Rounds: SMALL_RUNS (default 201) for 1 KiB, MID_RUNS (31) for 64 MiB, RUNS
# (9) for 1 GiB.
set -euo pipefail
((${#@} > 0)) || { echo "usage: $0 TOOL [TOOL...]" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "$0: /usr/bin/time is missing (Debian package time; tools/deps.sh all)" >&2; exit 2; }
command -v xxhsum >/dev/null ||
    { echo "$0: xxhsum is missing (Debian package xxhash; tools/deps.sh all)" >&2; exit 2; }
read_loop=${READ_LOOP:-$(dirname "$0")/../build/bench/bench/read_loop}
[[ -x $read_loop ]] ||
    { echo "$0: $read_loop is missing (cmake --preset bench && cmake --build --preset bench)" >&2; exit 2; }
for tool in "$@"; do
    [[ -x $tool ]] || { echo "$0: $tool is not an executable" >&2; exit 2; }
done

dir=$(mktemp -d "${BENCH_DIR:-/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
head -c 1024 /dev/urandom >"$dir/1KiB"
head -c $((64 << 20)) /dev/urandom >"$dir/64MiB"
head -c $((1 << 30)) /dev/urandom >"$dir/1GiB"
cat "$dir/1KiB" "$dir/64MiB" "$dir/1GiB" >/dev/null # into the page cache

peers=(cat "xxhsum -H3" "$read_loop")
commands=()
for tool in "$@"; do commands+=("$tool 0"); done
commands+=("${peers[@]}")

# run INDEX FILE OUTPUT: one timed run of command INDEX, in seconds. Each
# command writes its own output file, emptied before the clock starts.
run() {
    local out=$3
    [[ $out == /dev/null ]] || { out=$3.$1 && : >"$out"; }
    local -a command
    read -ra command <<<"${commands[$1]}"
    local start=$EPOCHREALTIME
    "${command[@]}" "$2" >"$out" 2>/dev/null
    local end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }

cpu() { grep -m1 "^$1" /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'; }
flags=$(grep -m1 '^flags' /proc/cpuinfo | tr ' ' '\n' | grep -x 'avx2\|avx512bw\|avx512vbmi\|avx512_vnni\|avx_vnni' | tr '\n' ' ')
echo "machine: $(cpu 'model name') (family $(cpu 'cpu family'), model $(cpu model)), $(nproc) cores," \
    "${flags}; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %-10s %-30s %10s %8s %7s %7s %7s %8s\n' \
    file output command median_ms MiB/s x_cat x_xxhsum x_read rss_KiB
for size in 1KiB 64MiB 1GiB; do
    case $size in
    1KiB) rounds=${SMALL_RUNS:-201} mib=0 ;;
    64MiB) rounds=${MID_RUNS:-31} mib=64 ;;
    1GiB) rounds=${RUNS:-9} mib=1024 ;;
    esac
    for output in /dev/null file; do
        target=/dev/null
        [[ $output == file ]] && target=$dir/out
        rm -f "$dir"/t.* "$dir"/r.*
        for ((round = 0; round < rounds; round++)); do
            declare -a took=()
            for i in "${!commands[@]}"; do
                took[i]=$(run "$i" "$dir/$size" "$target")
                echo "${took[i]}" >>"$dir/t.$i"
            done
            for ((i = 0; i < $#; i++)); do
                for p in "${!peers[@]}"; do
                    awk -v t="${took[i]}" -v c="${took[$# + p]}" 'BEGIN { print t / c }' >>"$dir/r.$i.$p"
                done
            done
        done
        for i in "${!commands[@]}"; do
            t=$(median <"$dir/t.$i")
            rate=-
            ((mib == 0)) || rate=$(awk -v t="$t" -v m="$mib" 'BEGIN { printf "%.0f", m / t }')
            ratios=(- - -) rss=-
            if ((i < $#)); then
                for p in "${!peers[@]}"; do ratios[p]=$(median <"$dir/r.$i.$p" | xargs printf '%.2f'); done
                [[ $output == file ]] || rss=$(peak_kib ${commands[i]} "$dir/$size")
            fi
            label=${commands[i]% 0}
            [[ $label == "$read_loop" ]] && label="read() loop"
            printf '%-6s %-10s %-30s %10.3f %8s %7s %7s %7s %8s\n' "$size" "$output" "$label" \
                "$(awk -v t="$t" 'BEGIN { print t * 1000 }')" "$rate" "${ratios[@]}" "$rss"
        done
        rm -f "$dir"/out.*
    done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
