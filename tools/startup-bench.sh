#!/usr/bin/env bash
# Start-up of programs that list a 1 KiB file, beside cat copying it: with so
# little to read, a run is almost all process start. hyperfine times each
# command (no shell between, output to /dev/null), the commands taking turns
# round after round in a new order each round, as a shared machine's speed
# drifts; printed are each command's median over the rounds of its per-round
# median, and the median of its per-round ratio to cat's.
# usage: tools/startup-bench.sh PROGRAM...   (each run as: PROGRAM 0 FILE)
#   e.g. tools/startup-bench.sh build/release/vantrel build/static/vantrel
# ROUNDS (default 15) rounds of RUNS (default 300) runs of each command.
set -euo pipefail
(($# > 0)) || { echo "usage: $0 PROGRAM..." >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "$0: hyperfine is missing (tools/deps.sh all)" >&2; exit 2; }
rounds=${ROUNDS:-15} runs=${RUNS:-300}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
head -c 1024 /dev/urandom >"$dir/1KiB"
commands=("cat $dir/1KiB")
for program in "$@"; do
    [[ -x $program ]] || { echo "$0: $program is not an executable" >&2; exit 2; }
    commands+=("$program 0 $dir/1KiB")
done

cpu() { grep -m1 "^$1" /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'; }
echo "machine: $(cpu 'model name') (family $(cpu 'cpu family'), model $(cpu 'model\s')), $(nproc) cores;" \
    "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; round++)); do
    mapfile -t order < <(printf '%s\n' "${!commands[@]}" | shuf)
    for i in "${order[@]}"; do
        hyperfine -N --style none --warmup 20 --runs "$runs" \
            --export-json "$dir/$round-$i.json" "${commands[i]}" >"$dir/log" 2>&1 ||
            { cat "$dir/log" >&2; exit 1; }
    done
done
python3 - "$dir" "$rounds" "$@" <<'PYTHON'
import json, statistics, sys
folder, rounds, programs = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
def median_ms(round, i):
    with open(f"{folder}/{round}-{i}.json") as f:
        return statistics.median(json.load(f)["results"][0]["times"]) * 1000
names = ["cat"] + programs
times = [[median_ms(r, i) for r in range(1, rounds + 1)] for i in range(len(names))]
print(f"{'command':<40} {'median_ms':>9} {'x_cat':>6} {'x_cat range':>12}")
for name, row in zip(names, times):
    ratios = [t / c for t, c in zip(row, times[0])]
    spread = "-" if name == "cat" else f"{min(ratios):.2f}-{max(ratios):.2f}"
    ratio = "-" if name == "cat" else f"{statistics.median(ratios):.2f}"
    print(f"{name:<40} {statistics.median(row):>9.3f} {ratio:>6} {spread:>12}")
PYTHON
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
