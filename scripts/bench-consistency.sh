#!/usr/bin/env bash
# Checks that the benchmark program can be trusted in one run: every benchmark's figure in the
# full run must lie within the tolerance of the same benchmark run alone.
#
# usage: bench-consistency.sh [bench-program] [rounds] [tolerance-percent]
#   bench-program  default build/bench/tonvexa_bench
#   rounds         full runs and alone runs made, interleaved (default 3); the medians are
#                  compared, so a burst of other work on a shared machine does not decide
#   tolerance      default 20 (percent)
#
# Prints, for each benchmark, the median wall and CPU times of the full runs and of the alone
# runs and their ratio, then the share of the machine that was idle meanwhile (a busy machine
# stretches wall times; the CPU column shows the work itself). Exits 1 when a ratio is outside
# the tolerance.
set -euo pipefail

bench=${1:-build/bench/tonvexa_bench}
rounds=${2:-3}
tolerance=${3:-20}
if [[ ! -x $bench ]]; then
  echo "no benchmark program at $bench (build the tonvexa_bench target)" >&2
  exit 2
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

mapfile -t names < <("$bench" --benchmark_list_tests 2>/dev/null)
# A name as a filter: the whole name, its regular-expression characters taken literally.
exact() { printf '^%s$' "$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$1")"; }

run() { # output-file [filter]
  local args=(--benchmark_format=json --benchmark_out_format=json --benchmark_out="$1")
  [[ $# -gt 1 ]] && args+=(--benchmark_filter="$2")
  "$bench" "${args[@]}" >/dev/null 2>&1
}

cpu_line() { head -1 /proc/stat; }
before=$(cpu_line)
for ((r = 1; r <= rounds; r++)); do
  echo "round $r of $rounds ..." >&2
  # Half the rounds run the full program first, half last, so a slow drift of the machine's
  # load weighs on both sides alike.
  ((r % 2 == 1)) && run "$out/full-$r.json"
  for i in "${!names[@]}"; do
    run "$out/alone-$r-$i.json" "$(exact "${names[$i]}")"
  done
  ((r % 2 == 0)) && run "$out/full-$r.json"
done
after=$(cpu_line)

python3 - "$out" "$tolerance" "$before" "$after" <<'EOF'
import glob, json, statistics, sys

out, tolerance, before, after = sys.argv[1], float(sys.argv[2]), sys.argv[3], sys.argv[4]

def times(files):
    found = {}
    for f in files:
        for b in json.load(open(f))["benchmarks"]:
            if b.get("run_type", "iteration") == "iteration":
                found.setdefault(b["name"], []).append((b["real_time"], b["cpu_time"], b["time_unit"]))
    return found

full = times(sorted(glob.glob(f"{out}/full-*.json")))
alone = times(sorted(glob.glob(f"{out}/alone-*.json")))

def median(runs, k):
    return statistics.median(r[k] for r in runs)

print(f"{'benchmark':48s} {'full':>10s} {'alone':>10s} {'ratio':>6s}   {'cpu full':>9s} {'cpu alone':>9s}")
failed = []
for name, runs in full.items():
    if name not in alone:
        failed.append(name)
        print(f"{name:48s} has no alone run")
        continue
    unit = runs[0][2]
    f, a = median(runs, 0), median(alone[name], 0)
    ratio = f / a
    mark = "" if abs(ratio - 1) * 100 <= tolerance else "  <-- outside"
    if mark:
        failed.append(name)
    print(f"{name:48s} {f:8.4g}{unit:>2s} {a:8.4g}{unit:>2s} {ratio:6.2f}   "
          f"{median(runs, 1):9.4g} {median(alone[name], 1):9.4g}{mark}")

b = [int(x) for x in before.split()[1:]]
a = [int(x) for x in after.split()[1:]]
d = [y - x for x, y in zip(b, a)]
idle = 100.0 * (d[3] + d[4]) / max(1, sum(d[:8]))
print(f"\nmachine idle meanwhile: {idle:.0f} %; medians of {len(next(iter(full.values())))} runs each; "
      f"tolerance {tolerance:g} %")
if failed:
    print(f"{len(failed)} benchmark(s) outside the tolerance: {', '.join(failed)}")
    sys.exit(1)
print("every benchmark of the full run lies within the tolerance of its run alone")
EOF
