#!/usr/bin/env bash
# Scale benchmarks: generates deterministic inputs (bench/make_inputs.py) and
# runs every program on them, on one thread and on the default thread count,
# on a quiet machine and beside two CPU-bound competitors this script starts
# (and always stops). Prints for each run the wall and CPU (user + sys)
# seconds, both as ratios to the one-thread run of the same scenario, the
# peak memory and the md5 of everything the run printed and wrote: every
# thread count must give the same md5.
#
#   scripts/bench.sh [build-dir] [output-dir] [run...]
#
# Runs: tavrin_n_examples tavrin_n tavrin tavrin_real vantor_n vantor_p simvale
# vantor_n_capacity vantor_p_capacity (all by default). The capacity runs
# score three motifs with ten decoys over 2 x 30000 sequences of 10000 letters
# (2.4 GB of inputs, written once) and print the peak memory budget: twice
# the FASTA sizes plus 50 MB. Environment: BENCH_SCALE (default 1, e.g. 0.1
# for a quick try; not applied to the capacity runs), BENCH_SCENARIOS (default
# "quiet loaded"), BENCH_THREADS (the thread counts, default "1 default";
# "default" leaves OMP_NUM_THREADS unset, one thread per core), BENCH_REPEAT
# (rounds of each run, default 1; the fastest of them is shown, for machines
# whose speed drifts).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
out="${2:-$root/bench-out}"
case "$out" in /*) ;; *) out="$root/$out" ;; esac
shift 2 || shift $# || true
runs=("$@")
[ ${#runs[@]} -gt 0 ] ||
  runs=(tavrin_n_examples tavrin_n tavrin tavrin_real vantor_n vantor_p simvale vantor_n_capacity
    vantor_p_capacity)
scale="${BENCH_SCALE:-1}"
read -r -a scenarios <<<"${BENCH_SCENARIOS:-quiet loaded}"
read -r -a threadCounts <<<"${BENCH_THREADS:-1 default}"
repeat="${BENCH_REPEAT:-1}"
bin="$build/bin"
ex="$root/examples"

for p in Tavrin-N Tavrin Simvale VantorN VantorP; do
  [ -x "$bin/$p" ] || { echo "ERROR: $bin/$p is missing; build first (make)." >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "ERROR: /usr/bin/time is needed for CPU time and peak memory (apt-get install time)." >&2; exit 1; }
for s in "${scenarios[@]}"; do
  case $s in quiet | loaded) ;; *) echo "ERROR: unknown scenario $s (quiet, loaded)." >&2; exit 1 ;; esac
done
[[ $repeat =~ ^[1-9][0-9]*$ ]] || { echo "ERROR: BENCH_REPEAT must be a whole number of rounds, 1 or more." >&2; exit 1; }
for t in "${threadCounts[@]}"; do
  [[ $t == default || $t =~ ^[1-9][0-9]*$ ]] ||
    { echo "ERROR: unknown thread count $t (a number or default)." >&2; exit 1; }
done

# The competitors of the loaded scenario: two busy loops, stopped on any exit.
competitors=()
stopCompetitors() {
  local pid
  for pid in "${competitors[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${competitors[@]}"; do wait "$pid" 2>/dev/null || true; done
  competitors=()
}
startCompetitors() {
  local i
  for i in 1 2; do
    bash -c 'while :; do :; done' &
    competitors+=($!)
  done
}
trap stopCompetitors EXIT
trap 'exit 130' INT TERM

inputs="$out/inputs-$scale"
if [ ! -f "$inputs/done" ] || [ ! -d "$inputs/tavrin_real" ]; then
  echo "generating inputs (scale $scale) in $inputs"
  mkdir -p "$inputs"
  python3 "$root/bench/make_inputs.py" "$inputs" "$scale"
  touch "$inputs/done"
fi
capacity="$out/inputs-capacity"
if [[ " ${runs[*]} " == *_capacity* ]] && [ ! -f "$capacity/done" ]; then
  echo "generating capacity inputs in $capacity"
  mkdir -p "$capacity"
  python3 "$root/bench/make_inputs.py" --capacity "$capacity"
  touch "$capacity/done"
fi

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo)"
printf '%-18s %-7s %-7s %9s %8s %7s %7s %9s  %s\n' run load threads "wall (s)" "CPU (s)" "CPU/1t" \
  "wall/1t" "peak (MB)" "md5 of outputs"

# ratio A B: A / B with two decimals, or - when B is missing or zero.
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b == "" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'
}

# smaller A B: A when B is empty or A < B, else B (seconds).
smaller() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (b == "" || a + 0 < b + 0) print a; else print b }'
}

# run NAME PROGRAM ARGS...: in a fresh folder per thread count, so the md5
# covers exactly this run; once per thread count of the scenario in each of
# the rounds. The thread counts of a round run one right after the other, so
# a drift in the machine's speed touches them alike; the fastest wall and
# the least CPU over the rounds are shown.
scenario=quiet
run() {
  local name=$1 program=$2
  shift 2
  local -A bestWall=() bestCpu=() mostPeak=() sumOf=()
  local round threads
  for ((round = 1; round <= repeat; round++)); do
    for threads in "${threadCounts[@]}"; do
      local work="$out/runs/$name.$scenario.$threads"
      rm -rf "$work"
      mkdir -p "$work"
      if [ "$threads" = default ]; then
        (cd "$work" && env -u OMP_NUM_THREADS /usr/bin/time -f '%e %U %S %M' \
          -o ../"$name.$scenario.$threads.time" "$bin/$program" "$@" >stdout.txt) || true
      else
        (cd "$work" && OMP_NUM_THREADS=$threads /usr/bin/time -f '%e %U %S %M' \
          -o ../"$name.$scenario.$threads.time" "$bin/$program" "$@" >stdout.txt) || true
      fi
      local sum wall user sys peak cpu
      sum=$(cd "$work" && cat $(ls | sort) | md5sum | cut -d' ' -f1)
      read -r wall user sys peak <"$out/runs/$name.$scenario.$threads.time" || true
      cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
      bestWall[$threads]=$(smaller "$wall" "${bestWall[$threads]:-}")
      bestCpu[$threads]=$(smaller "$cpu" "${bestCpu[$threads]:-}")
      [ "${mostPeak[$threads]:-0}" -ge "$peak" ] || mostPeak[$threads]=$peak
      if [ -n "${sumOf[$threads]:-}" ] && [ "${sumOf[$threads]}" != "$sum" ]; then
        sumOf[$threads]="differs between rounds"
      elif [ -z "${sumOf[$threads]:-}" ]; then
        sumOf[$threads]=$sum
      fi
    done
  done
  for threads in "${threadCounts[@]}"; do
    printf '%-18s %-7s %-7s %9s %8s %7s %7s %9s  %s\n' "$name" "$scenario" "$threads" \
      "${bestWall[$threads]}" "${bestCpu[$threads]}" "$(ratio "${bestCpu[$threads]}" "${bestCpu[1]:-}")" \
      "$(ratio "${bestWall[$threads]}" "${bestWall[1]:-}")" "$((mostPeak[$threads] / 1024))" \
      "${sumOf[$threads]}"
  done
}

runOne() {
  local r=$1
  case $r in
    tavrin_n_examples)
      run "$r" Tavrin-N -fasta "$ex/promoters.fa" -int "$ex/interactions.tab" -out motifs.se ;;
    tavrin_n)
      run "$r" Tavrin-N -fasta "$inputs/tavrin_n/promoters.fa" -int "$inputs/tavrin_n/interactions.tab" \
        -out motifs.se ;;
    tavrin | tavrin_real)
      run "$r" Tavrin -fasta "$inputs/$r/genes.fa" -se "$inputs/$r/elements.se" \
        -int "$inputs/$r/interactions.tab" -srand 1 -out network ;;
    vantor_n)
      run "$r" VantorN -fasta1 "$inputs/vantor_n/organism1.fa" -fasta2 "$inputs/vantor_n/organism2.fa" \
        -orthotab "$inputs/vantor_n/orthologs.tab" -noa "$inputs/vantor_n/motifs.noa" -srand 1 \
        -out conservation.noa ;;
    vantor_p)
      run "$r" VantorP -fasta1 "$inputs/vantor_p/organism1.fa" -fasta2 "$inputs/vantor_p/organism2.fa" \
        -orthotab "$inputs/vantor_p/orthologs.tab" -noa "$inputs/vantor_p/motifs.noa" -type PMOTIF \
        -srand 1 -out conservation.noa ;;
    vantor_n_capacity | vantor_p_capacity)
      d="$capacity/${r%_capacity}"
      type=5\'MOTIF program=VantorN
      [ "$r" = vantor_p_capacity ] && type=PMOTIF program=VantorP
      run "$r" "$program" -fasta1 "$d/organism1.fa" -fasta2 "$d/organism2.fa" -orthotab "$d/orthologs.tab" \
        -noa "$d/motifs.noa" -type "$type" -srand 1 -ndecoy 10 -out conservation.noa
      fasta=$(( ($(stat -c %s "$d/organism1.fa") + $(stat -c %s "$d/organism2.fa")) / 1048576 ))
      printf '%-18s %-7s %-7s %9s %8s %7s %7s %9s  (budget: twice the FASTA sizes + 50 MB)\n' \
        "" "" "" "" "" "" "" "$((2 * fasta + 50))" ;;
    simvale)
      run "$r" Simvale -noa "$inputs/simvale/motifs.noa" -reffile "$inputs/simvale/collection.jaspar" \
        -out known_motifs.tsv ;;
    *) echo "unknown run $r" >&2; exit 2 ;;
  esac
}

for r in "${runs[@]}"; do
  for scenario in "${scenarios[@]}"; do
    [ "$scenario" = loaded ] && startCompetitors
    runOne "$r"
    stopCompetitors
  done
done
