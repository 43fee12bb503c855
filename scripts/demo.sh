#!/usr/bin/env bash
# The whole pipeline on the bundled example data:
#   Tavrin-N (promoters + network) -> SE file -> Tavrin -> network files
#   -> null replicates (the same two programs on the network with its node
#      labels permuted) -> an FDR for every pair
#   -> Simvale (motifs vs known insect matrices) -> VantorN (conservation).
# Usage: scripts/demo.sh [build-dir] [output-dir]
# DEMO_REPLICATES (default 3) sets the number of null replicates; DEMO_EXAMPLES
# another folder of the same files (the tests use a cut-down copy).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
bin="$build/bin"
out="${2:-$root/demo-out}"
case "$out" in /*) ;; *) out="$root/$out" ;; esac
ex="${DEMO_EXAMPLES:-$root/examples}"
scripts="$root/workflow/scripts"
python="${PYTHON:-python3}"
replicates="${DEMO_REPLICATES:-3}"

for p in Tavrin-N Tavrin Simvale VantorN Tavrin-report; do
  if [ ! -x "$bin/$p" ]; then
    echo "ERROR: $bin/$p is missing; build first (make)." >&2
    exit 1
  fi
done
if ! command -v "$python" >/dev/null; then
  echo "ERROR: $python is missing (apt-get install python3); the FDR step needs it." >&2
  exit 1
fi

rm -rf "$out"
mkdir -p "$out"
cd "$out"

started=$SECONDS
stage() { printf '\n===== %s (%ss so far) =====\n' "$1" "$((SECONDS - started))"; }

# The last step: the run's files as one HTML page (also when nothing was found).
report_page() {
  stage "6/6 Tavrin-report: the run as one HTML page"
  "$bin/Tavrin-report" -net network -out report.html -se motifs.se -fasta "$ex/promoters.fa" \
    "$@" -reffile "$ex/insecta.jaspar" -title '"Tavrin demo: fruit-fly promoters"' \
    > report.log || { tail -n 3 report.log; exit 1; }
  printf '\nReport page (open in a browser): %s\n' "$out/report.html"
}

# Null replicates for the FDR: the same two programs, with the same options,
# on the network with its node labels permuted at random (seed k), so the
# network's shape is kept and whatever they find is chance. They run in the
# background, one thread each, beside the real run.
null_replicate() {
  local k=$1 dir="null/$1"
  mkdir -p "$dir"
  "$python" "$scripts/relabel_network.py" --interactions "$ex/interactions.tab" \
    --fasta "$ex/promoters.fa" --seed "$k" --out "$dir/interactions.tab" > "$dir/relabel.log"
  "$python" "$scripts/run_program.py" --log "$dir/motif_pairs.log" --threads 1 -- \
    "$bin/Tavrin-N" -fasta "$ex/promoters.fa" -int "$dir/interactions.tab" -out "$dir/motifs.se"
  "$python" "$scripts/run_program.py" --log "$dir/element_pairs.log" --threads 1 \
    --pairs "$dir/motifs.se" "$dir/net" 10 -- "$bin/Tavrin" -fasta "$ex/promoters.fa" \
    -se "$dir/motifs.se" -int "$dir/interactions.tab" -srand 1 -out "$dir/net"
}
export -f null_replicate
export python scripts bin ex
mkdir -p null
seq 1 "$replicates" | xargs -P "$(nproc 2>/dev/null || echo 2)" -I{} \
  bash -c 'set -euo pipefail; null_replicate {}' > null/replicates.log 2>&1 &
nulls_pid=$!
trap 'kill "$nulls_pid" 2>/dev/null || true' EXIT
# The real run shares the cores with the replicates: one thread unless set
# (more threads than cores cost more than they give).
export OMP_NUM_THREADS="${OMP_NUM_THREADS:-1}"

stage "1/6 Tavrin-N: nucleotide motif pairs across interactions"
"$bin/Tavrin-N" -fasta "$ex/promoters.fa" -int "$ex/interactions.tab" -out motifs.se

stage "2/6 Tavrin: significant, robust sequence-element pairs"
status=0
"$bin/Tavrin" -fasta "$ex/promoters.fa" -se motifs.se -int "$ex/interactions.tab" \
  -srand 1 -out network || status=$?
if [ "$status" -ne 0 ]; then
  echo "Tavrin kept no pair (exit $status); nothing to compare or score."
  report_page
  exit 0
fi

stage "3/6 FDR: the same two programs on $replicates networks with node labels permuted"
if ! wait "$nulls_pid"; then
  echo "ERROR: a null replicate failed:"
  cat null/replicates.log
  exit 1
fi
nulls=()
for k in $(seq 1 "$replicates"); do
  nulls+=("null/$k/net.1.eda")
  echo "  replicate $k: $(wc -l < "null/$k/net.sif") pairs (all chance)"
done
"$python" "$scripts/calibrate.py" network.sif network.1.eda calibration.tsv \
  calibration_summary.txt "${nulls[@]}" | sed 's/^/  /'

stage "4/6 Simvale: closest known insect matrices (JASPAR)"
"$bin/Simvale" -noa network.1.noa -reffile "$ex/insecta.jaspar" -out known_motifs.tsv

stage "5/6 VantorN: conservation in the relative species"
"$bin/VantorN" -fasta1 "$ex/promoters.fa" -fasta2 "$ex/relative.fa" \
  -orthotab "$ex/orthologs.tab" -noa network.1.noa -srand 1 -out conservation.noa

report_page -simvale known_motifs.tsv -conservation conservation.noa -calibration calibration.tsv

stage "Results in $out"
cat <<LIST
  motifs.se            motif pairs found by Tavrin-N (SE file)
  network.sif          the element-pair network (open in Cytoscape)
  network.1.noa        element types (node attributes)
  network.1.eda        pair scores, mutual information (edge attributes)
  network.2.eda        robustness, supporting jack-knife trials (edge attributes)
  network.3.eda        z-scores (edge attributes)
  calibration.tsv      each pair's FDR from the null replicates (null/1, null/2, ...)
  known_motifs.tsv     closest known matrix of each motif
  conservation.noa     conservation of each motif (node attributes)
  report.html          all of it as one page (network, pairs, motif logos)
LIST

shown=15
pairs=$(wc -l < network.sif)
printf '\nSignificant pairs: %s, ranked by FDR (first %s shown)\n' "$pairs" "$shown"
cat <<MEANING
  FDR      expected share of chance pairs among the pairs at least this strong,
           from the same programs on networks of the same shape with the
           promoters moved over the nodes at random; with $replicates replicates
           no FDR is below 1 / ($((replicates + 1)) x the pairs at least as strong)
           (the workflow runs 10 or more)
  score    mutual information of the pair across interactions
  robust   jack-knife trials (of 10) in which the pair stayed significant
  z-score  against re-paired networks that keep only the degrees; with
           robust, far too optimistic on clustered networks: rank by FDR
MEANING
awk -F'\t' -v OFS='\t' '
  FILENAME ~ /calibration/ { if (FNR > 1) fdr[$1 " (TavrinSE) " $2] = $6; next }
  { split($0, kv, " = ") }
  FILENAME ~ /2\.eda$/ && FNR > 1 { rob[kv[1]] = kv[2] }
  FILENAME ~ /3\.eda$/ && FNR > 1 { print fdr[kv[1]], FNR, kv[1], rob[kv[1]], kv[2] }
  ' calibration.tsv network.2.eda network.3.eda | sort -s -t$'\t' -k1,1g -k2,2n > ranked.tmp
awk -F'\t' -v shown="$shown" '
  FILENAME ~ /1\.eda$/ { if (FNR > 1) { split($0, kv, " = "); mi[kv[1]] = kv[2] }; next }
  FNR == 1 { printf "  %-56s %-9s %-11s %-7s %s\n", "pair", "FDR", "score (MI)", "robust", "z-score" }
  FNR <= shown {
    pair = $3; sub(/ \(TavrinSE\) /, "  ", pair)
    printf "  %-56s %-9s %-11s %-7s %s\n", pair, $1, mi[$3], $4, $5
  }' network.1.eda ranked.tmp
rm -f ranked.tmp

motifs=$(($(wc -l < known_motifs.tsv) - 1))
matched=$(awk -F'\t' 'NR > 1 && $3 != ""' known_motifs.tsv | wc -l)
printf '\nMotifs: %s, %s with a known matrix above the Simvale cutoff (first %s shown)\n' \
  "$motifs" "$matched" "$shown"
awk -F'\t' -v shown="$shown" '
  FILENAME ~ /known_motifs/ && FNR > 1 { name[++n] = $1; known[$1] = $2; score[$1] = $3 }
  FILENAME ~ /conservation/ && FNR > 1 { split($0, kv, " = "); cons[kv[1]] = kv[2] }
  END {
    printf "  %-30s %-26s %-9s %s\n", "motif", "closest known matrix", "Simvale", "conservation"
    for (i = 1; i <= n && i <= shown; i++) {
      m = name[i]
      printf "  %-30s %-26s %-9s %s\n", m, (known[m] == "" ? "-" : known[m]), \
        (score[m] == "" ? "-" : score[m]), cons[m]
    }
  }' known_motifs.tsv conservation.noa
printf '\nDemo finished in %ss.\n' "$((SECONDS - started))"

printf 'Open the report page in a browser: %s\n' "$out/report.html"
