#!/usr/bin/env bash
# Throughput and memory of the listing against reading the file with cat.
# usage: bench/run.sh TOOL [TOOL...]     (e.g. build/release/vantrel build/portable/vantrel)
# Makes a 1 GiB random file (in $BENCH_DIR, default /tmp), lists it with each
# tool and reads it with cat in alternating runs, output to /dev/null, and
# prints the median times, the median ratio to cat, MiB/s and the peak RSS
# (GNU time's %M) on that file and on a 1 KiB file. Then the same on the
# 1 KiB file, where start-up is the whole cost, in SMALL_RUNS (default 201)
# alternating runs each.
set -euo pipefail
((${#@} > 0)) || { echo "usage: $0 TOOL [TOOL...]" >&2; exit 2; }
runs=${RUNS:-9}
small_runs=${SMALL_RUNS:-201}
dir=$(mktemp -d "${BENCH_DIR:-/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
big=$dir/1gib.bin small=$dir/1kib.bin
head -c $((1024 * 1024 * 1024)) /dev/urandom >"$big"
head -c 1024 /dev/urandom >"$small"
cat "$big" >/dev/null # into the page cache

seconds() { # command... -> wall seconds
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }

printf '%-32s %9s %9s %9s %9s %12s %12s\n' tool median_s cat_s ratio MiB/s rss_1GiB_KiB rss_1KiB_KiB
for tool in "$@"; do
    : >"$dir/tool" && : >"$dir/cat" && : >"$dir/ratio"
    for ((i = 0; i < runs; i++)); do
        t=$(seconds "$tool" 0 "$big")
        c=$(seconds cat "$big")
        echo "$t" >>"$dir/tool"
        echo "$c" >>"$dir/cat"
        awk -v t="$t" -v c="$c" 'BEGIN { print t / c }' >>"$dir/ratio"
    done
    t=$(median <"$dir/tool") c=$(median <"$dir/cat") r=$(median <"$dir/ratio")
    printf '%-32s %9.3f %9.3f %9.2f %9.0f %12s %12s\n' "$tool" "$t" "$c" "$r" \
        "$(awk -v t="$t" 'BEGIN { print 1024 / t }')" "$(peak_kib "$tool" 0 "$big")" "$(peak_kib "$tool" 0 "$small")"
done

printf '\n%-32s %9s %9s %9s   (1 KiB file, %d runs each)\n' tool median_ms cat_ms ratio "$small_runs"
for tool in "$@"; do
    : >"$dir/tool" && : >"$dir/cat"
    for ((i = 0; i < small_runs; i++)); do
        seconds "$tool" 0 "$small" >>"$dir/tool"
        seconds cat "$small" >>"$dir/cat"
    done
    t=$(median <"$dir/tool") c=$(median <"$dir/cat")
    printf '%-32s %9.3f %9.3f %9.2f\n' "$tool" "$(awk -v t="$t" 'BEGIN { print t * 1000 }')" \
        "$(awk -v c="$c" 'BEGIN { print c * 1000 }')" "$(awk -v t="$t" -v c="$c" 'BEGIN { print t / c }')"
done
