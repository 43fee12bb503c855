#!/usr/bin/env bash
# The whole pipeline on the bundled example data:
#   Tavrin-N (promoters + network) -> SE file -> Tavrin -> network files
#   -> Simvale (motifs vs known insect matrices) -> VantorN (conservation).
# Usage: scripts/demo.sh [build-dir] [output-dir]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
bin="$build/bin"
out="${2:-$root/demo-out}"
case "$out" in /*) ;; *) out="$root/$out" ;; esac
ex="$root/examples"

for p in Tavrin-N Tavrin Simvale VantorN Tavrin-report; do
  if [ ! -x "$bin/$p" ]; then
    echo "ERROR: $bin/$p is missing; build first (make)." >&2
    exit 1
  fi
done

rm -rf "$out"
mkdir -p "$out"
cd "$out"

started=$SECONDS
stage() { printf '\n===== %s (%ss so far) =====\n' "$1" "$((SECONDS - started))"; }

# The last step: the run's files as one HTML page (also when nothing was found).
report_page() {
  stage "5/5 Tavrin-report: the run as one HTML page"
  "$bin/Tavrin-report" -net network -out report.html -se motifs.se -fasta "$ex/promoters.fa" \
    "$@" -reffile "$ex/insecta.jaspar" -title '"Tavrin demo: fruit-fly promoters"' \
    > report.log || { tail -n 3 report.log; exit 1; }
  printf '\nReport page (open in a browser): %s\n' "$out/report.html"
}

stage "1/5 Tavrin-N: nucleotide motif pairs across interactions"
"$bin/Tavrin-N" -fasta "$ex/promoters.fa" -int "$ex/interactions.tab" -out motifs.se

stage "2/5 Tavrin: significant, robust sequence-element pairs"
status=0
"$bin/Tavrin" -fasta "$ex/promoters.fa" -se motifs.se -int "$ex/interactions.tab" \
  -srand 1 -out network || status=$?
if [ "$status" -ne 0 ]; then
  echo "Tavrin kept no pair (exit $status); nothing to compare or score."
  report_page
  exit 0
fi

stage "3/5 Simvale: closest known insect matrices (JASPAR)"
"$bin/Simvale" -noa network.1.noa -reffile "$ex/insecta.jaspar" -out known_motifs.tsv

stage "4/5 VantorN: conservation in the relative species"
"$bin/VantorN" -fasta1 "$ex/promoters.fa" -fasta2 "$ex/relative.fa" \
  -orthotab "$ex/orthologs.tab" -noa network.1.noa -srand 1 -out conservation.noa

report_page -simvale known_motifs.tsv -conservation conservation.noa

stage "Results in $out"
cat <<LIST
  motifs.se            motif pairs found by Tavrin-N (SE file)
  network.sif          the element-pair network (open in Cytoscape)
  network.1.noa        element types (node attributes)
  network.1.eda        pair scores, mutual information (edge attributes)
  network.2.eda        robustness, supporting jack-knife trials (edge attributes)
  network.3.eda        z-scores (edge attributes)
  known_motifs.tsv     closest known matrix of each motif
  conservation.noa     conservation of each motif (node attributes)
  report.html          all of it as one page (network, pairs, motif logos)
LIST

shown=15
pairs=$(wc -l < network.sif)
printf '\nSignificant pairs: %s (self-pairs first, then by score; first %s shown)\n' "$pairs" "$shown"
awk -F' = ' -v shown="$shown" '
  FILENAME ~ /1\.eda$/ && FNR > 1 { mi[$1] = $2 }
  FILENAME ~ /2\.eda$/ && FNR > 1 { rob[$1] = $2 }
  FILENAME ~ /3\.eda$/ && FNR > 1 { z[$1] = $2; order[++n] = $1 }
  END {
    printf "  %-58s %-11s %-7s %s\n", "pair", "score (MI)", "robust", "z-score"
    for (i = 1; i <= n && i <= shown; i++) {
      k = order[i]; pair = k; sub(/ \(TavrinSE\) /, "  ", pair)
      printf "  %-58s %-11s %-7s %s\n", pair, mi[k], rob[k], z[k]
    }
  }' network.1.eda network.2.eda network.3.eda

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
