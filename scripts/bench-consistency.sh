#!/usr/bin/env bash
# Checks that the benchmark program can be trusted in one run: every benchmark's figure in the
# full run must lie within the tolerance of the same benchmark run alone.
#
# usage: bench-consistency.sh [bench-program] [rounds] [tolerance-percent]
#   bench-program  default build/bench/tonvexa_bench
#   rounds         full runs and alone runs made, interleaved (default 3); medians are
#                  compared, so a burst of other work on a shared machine does not decide
#   tolerance      default 20 (percent)
#
# Prints, for each benchmark, the median wall times of the full runs and of the alone runs,
# the median of the rounds' ratios with their range, how far the alone runs lay apart (the
# noise of the machine itself), the ratio of the CPU times, and the share of the machine that
# was idle meanwhile. Exits 1 when a ratio is outside the tolerance.
#
# BENCH_CPU=k runs every run on CPU k alone (taskset). On a virtual machine the CPUs need not
# be equally fast (one may share its host core or take the interrupts), and a run's main thread
# mostly stays where it started, so unpinned runs can differ by which CPU they drew.
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
  local pin=()
  [[ -n ${BENCH_CPU:-} ]] && pin=(taskset -c "$BENCH_CPU")
  "${pin[@]}" "$bench" "${args[@]}" >/dev/null 2>&1
}

cpu_line() { head -1 /proc/stat; }
before=$(cpu_line)
for ((r = 1; r <= rounds; r++)); do
  echo "round $r of $rounds ..." >&2
  # Odd rounds run the full program first and then the benchmarks alone in their order, even
  # rounds the other way round, so a drift of the machine's speed weighs on both sides alike.
  order=("${!names[@]}")
  if ((r % 2 == 0)); then
    mapfile -t order < <(printf '%s\n' "${!names[@]}" | tac)
  fi
  if ((r % 2 == 1)); then run "$out/full-$r.json"; fi
  for i in "${order[@]}"; do
    run "$out/alone-$r-$i.json" "$(exact "${names[$i]}")"
  done
  if ((r % 2 == 0)); then run "$out/full-$r.json"; fi
done
after=$(cpu_line)

python3 - "$out" "$rounds" "$tolerance" "$before" "$after" <<'PYTHON'
import glob, json, os, statistics, sys

out, rounds, tolerance = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
before, after = sys.argv[4], sys.argv[5]

def times(path):  # name -> (wall, cpu, unit) of the benchmarks in one output file
    return {b["name"]: (b["real_time"], b["cpu_time"], b["time_unit"])
            for b in json.load(open(path))["benchmarks"]
            if b.get("run_type", "iteration") == "iteration"}

full = [times(f"{out}/full-{r}.json") for r in range(1, rounds + 1)]
alone = [{} for _ in range(rounds)]
for r in range(rounds):
    for f in glob.glob(f"{out}/alone-{r + 1}-*.json"):
        alone[r].update(times(f))

print(f"{'benchmark':48s} {'full':>10s} {'alone':>10s} {'ratio':>6s} {'rounds':>11s} "
      f"{'alone spread':>12s} {'cpu ratio':>9s}")
failed = []
for name in full[0]:
    pairs = [(full[r][name], alone[r][name]) for r in range(rounds)
             if name in full[r] and name in alone[r]]
    if not pairs:
        failed.append(name)
        print(f"{name:48s} has no alone run")
        continue
    unit = pairs[0][0][2]
    f = statistics.median(p[0][0] for p in pairs)
    a = statistics.median(p[1][0] for p in pairs)
    ratios = [p[0][0] / p[1][0] for p in pairs]
    ratio = statistics.median(ratios)
    walls = [p[1][0] for p in pairs]
    spread = (max(walls) - min(walls)) / a * 100
    cpu = statistics.median(p[0][1] / p[1][1] for p in pairs)
    mark = "" if abs(ratio - 1) * 100 <= tolerance else "  <-- outside"
    if mark:
        failed.append(name)
    print(f"{name:48s} {f:8.4g}{unit:>2s} {a:8.4g}{unit:>2s} {ratio:6.2f} "
          f"{min(ratios):5.2f}-{max(ratios):<5.2f} {spread:11.0f}% {cpu:9.2f}{mark}")

b = [int(x) for x in before.split()[1:]]
e = [int(x) for x in after.split()[1:]]
d = [y - x for x, y in zip(b, e)]
idle = 100.0 * (d[3] + d[4]) / max(1, sum(d[:8]))
pinned = f"; every run on CPU {os.environ['BENCH_CPU']}" if os.environ.get("BENCH_CPU") else ""
print(f"\nfull, alone: medians of {rounds} runs; ratio: median of the rounds' full/alone (range "
      f"beside it); alone spread: how far the alone runs lay apart; machine idle meanwhile: "
      f"{idle:.0f} %; tolerance {tolerance:g} %{pinned}")
if failed:
    print(f"{len(failed)} benchmark(s) outside the tolerance: {', '.join(failed)}")
    sys.exit(1)
print("every benchmark of the full run lies within the tolerance of its run alone")
PYTHON
