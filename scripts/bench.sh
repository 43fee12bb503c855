#!/usr/bin/env bash
# Scale benchmarks: generates deterministic inputs (bench/make_inputs.py) and
# runs every program on them, printing wall time, peak memory and the md5 of
# everything the run printed and wrote. Two builds, or two thread counts, that
# print the same md5 produced the same bytes.
#
#   scripts/bench.sh [build-dir] [output-dir] [run...]
#
# Runs: tavrin_n_examples tavrin_n tavrin vantor_n vantor_p simvale
# vantor_n_capacity vantor_p_capacity (all by default). The capacity runs
# score three motifs with ten decoys over 2 x 30000 sequences of 10000 letters
# (2.4 GB of inputs, written once) and print the peak memory budget: twice
# the FASTA sizes plus 50 MB. Environment: BENCH_SCALE (default 1, e.g. 0.1
# for a quick try; not applied to the capacity runs), OMP_NUM_THREADS (thread
# count; all cores when unset).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
out="${2:-$root/bench-out}"
case "$out" in /*) ;; *) out="$root/$out" ;; esac
shift 2 || shift $# || true
runs=("$@")
[ ${#runs[@]} -gt 0 ] ||
  runs=(tavrin_n_examples tavrin_n tavrin vantor_n vantor_p simvale vantor_n_capacity vantor_p_capacity)
scale="${BENCH_SCALE:-1}"
bin="$build/bin"
ex="$root/examples"

for p in Tavrin-N Tavrin Simvale VantorN VantorP; do
  [ -x "$bin/$p" ] || { echo "ERROR: $bin/$p is missing; build first (make)." >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "ERROR: /usr/bin/time is needed for peak memory (apt-get install time)." >&2; exit 1; }

inputs="$out/inputs-$scale"
if [ ! -f "$inputs/done" ]; then
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

printf '%-18s %9s %10s  %s\n' run "wall (s)" "peak (MB)" "md5 of outputs"
# run NAME PROGRAM ARGS...: in a fresh folder, so the md5 covers exactly this run.
run() {
  local name=$1 program=$2
  shift 2
  local work="$out/runs/$name"
  rm -rf "$work"
  mkdir -p "$work"
  (cd "$work" && /usr/bin/time -f '%e %M' -o ../"$name.time" "$bin/$program" "$@" >stdout.txt) || true
  local sum
  sum=$(cd "$work" && cat $(ls | sort) | md5sum | cut -d' ' -f1)
  read -r wall peak <"$out/runs/$name.time" || true
  printf '%-18s %9s %10s  %s\n' "$name" "$wall" "$((peak / 1024))" "$sum"
}

for r in "${runs[@]}"; do
  case $r in
    tavrin_n_examples)
      run "$r" Tavrin-N -fasta "$ex/promoters.fa" -int "$ex/interactions.tab" -out motifs.se ;;
    tavrin_n)
      run "$r" Tavrin-N -fasta "$inputs/tavrin_n/promoters.fa" -int "$inputs/tavrin_n/interactions.tab" \
        -out motifs.se ;;
    tavrin)
      run "$r" Tavrin -fasta "$inputs/tavrin/genes.fa" -se "$inputs/tavrin/elements.se" \
        -int "$inputs/tavrin/interactions.tab" -srand 1 -out network ;;
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
      printf '%-18s %9s %10s  (budget: twice the FASTA sizes + 50 MB)\n' "" "" "$((2 * fasta + 50))" ;;
    simvale)
      run "$r" Simvale -noa "$inputs/simvale/motifs.noa" -reffile "$inputs/simvale/collection.jaspar" \
        -out known_motifs.tsv ;;
    *) echo "unknown run $r" >&2; exit 2 ;;
  esac
done
