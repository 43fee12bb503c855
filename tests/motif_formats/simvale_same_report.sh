#!/usr/bin/env bash
# Simvale gives the same report on a JASPAR collection as on that collection
# converted to MEME and back to JASPAR, or from MEME to an ACE folder.
#   simvale_same_report.sh BIN_DIR JASPAR NOA WORK_DIR
set -euo pipefail
bin=$1 jaspar=$2 noa=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
cd "$work"
"$bin/Tavrin-motifs" -in "$jaspar" -to meme -out collection.meme >/dev/null
"$bin/Tavrin-motifs" -in collection.meme -to jaspar -out from_meme.jaspar >/dev/null
"$bin/Tavrin-motifs" -in collection.meme -to ace -out from_meme_ace >/dev/null
failed=0
for cutoff in 0 50 70; do
  "$bin/Simvale" -noa "$noa" -reffile "$jaspar" -cutoff $cutoff -out original.tsv >/dev/null
  "$bin/Simvale" -noa "$noa" -reffile from_meme.jaspar -cutoff $cutoff -out converted.tsv >/dev/null
  "$bin/Simvale" -noa "$noa" -reffolder from_meme_ace -cutoff $cutoff -out ace.tsv >/dev/null
  for report in converted.tsv ace.tsv; do
    if ! diff original.tsv $report; then
      echo "cutoff $cutoff: $report differs from the report on the original collection"
      failed=1
    fi
  done
done
matches=$(grep -c . original.tsv)
[ "$matches" -gt 1 ] || { echo "the original report holds no motif"; exit 1; }
[ $failed -eq 0 ] && echo "same report on the original, the MEME-converted and the ACE collection"
exit $failed
