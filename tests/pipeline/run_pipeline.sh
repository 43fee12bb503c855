#!/usr/bin/env bash
# The whole chain on a cut-down copy of the example data: each program must
# accept what the previous one wrote, and the final files must be well formed.
# Usage: run_pipeline.sh <bin-dir> <data-dir> <work-dir>
set -uo pipefail
bin="$1"; data="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1

fail() { echo "PIPELINE FAILURE: $*"; exit 1; }
run() {  # run <expected-exit> <log> <program> args...
  local want="$1" log="$2"; shift 2
  "$@" > "$log"; local got=$?
  [ "$got" -eq "$want" ] || { cat "$log"; fail "$(basename "$1") exited $got, expected $want"; }
  grep -q '^Job finished successfully\.$' "$log" || { cat "$log"; fail "$(basename "$1") did not finish"; }
}

run 0 motif_finder.log "$bin/Tavrin-N" -fasta "$data/promoters.fa" -int "$data/interactions.tab" \
  -seedl 5 -maxl 7 -queue 200 -shuffle 100 -srand 1 -out motifs.se
head -1 motifs.se | grep -q "^\\$	MOTIF1	MOTIF2		MI$" || fail "SE header"
grep -q '^\$Gene	Method	Motif	Status$' motifs.se || fail "SE association header"
assoc=$(grep -c '	TavrinSE_N	@' motifs.se)
[ "$assoc" -gt 0 ] || fail "SE file has no association line"
all_match() {  # all_match <file> <extended regex>: every line matches
  [ "$(grep -cv -E "$2" "$1" || true)" -eq 0 ]
}
grep -v -e '^\$' -e '^#' motifs.se > associations.txt || true
all_match associations.txt '^[^	]+	TavrinSE_N	@[][TCGA]+	T$' || fail "malformed SE association lines"

run 0 pair_finder.log "$bin/Tavrin" -fasta "$data/promoters.fa" -se motifs.se -int "$data/interactions.tab" \
  -jnum 4 -srand 1 -out net
grep -q ' Sequence Elements had assigned seqeunces and were read\.$' pair_finder.log || fail "Tavrin did not read the SE file"
[ -s net.sif ] || fail "empty network"
pairs=$(wc -l < net.sif)
all_match net.sif '^[^ ]+ TavrinSE [^ ]+$' || fail "malformed .sif"
[ "$(head -1 net.1.noa)" = "SequenceElementType (class=java.lang.String)" ] || fail ".1.noa header"
[ "$(head -1 net.1.eda)" = "MI (class=Double)" ] || fail ".1.eda header"
[ "$(head -1 net.2.eda)" = "Robustness_per_4 (class=Integer)" ] || fail ".2.eda header"
[ "$(head -1 net.3.eda)" = "Z_score (class=Double)" ] || fail ".3.eda header"
for f in net.1.eda net.2.eda net.3.eda; do
  [ "$(($(wc -l < $f) - 1))" -eq "$pairs" ] || fail "$f does not list every pair"
done
grep -q ' = 5'"'"'MOTIF$' net.1.noa || fail "no 5' motif in the node file"

# The method filter of the SE file names the motif finder's label.
run 0 pair_finder_filtered.log "$bin/Tavrin" -fasta "$data/promoters.fa" -se motifs.se \
  -int "$data/interactions.tab" -domethod TavrinSE_N -jnum 4 -srand 1 -out filtered
for suffix in sif 1.noa 1.eda 2.eda 3.eda; do
  cmp -s "net.$suffix" "filtered.$suffix" || fail "-domethod TavrinSE_N changed net.$suffix"
done

# The homo-value finder's SE file is read the same way.
run 0 hv_finder.log "$bin/Tavrin-N.HV" -fasta "$data/promoters.fa" -int "$data/interactions.tab" \
  -seedl 4 -maxl 5 -queue 50 -shuffle 50 -srand 1 -out self.se
"$bin/Tavrin" -fasta "$data/promoters.fa" -se self.se -int "$data/interactions.tab" \
  -jnum 2 -srand 1 -out self > hv_pair_finder.log
if grep -q '	TavrinSE_N	@' self.se; then
  grep -q ' Sequence Elements had assigned seqeunces and were read\.$' hv_pair_finder.log \
    || fail "Tavrin did not read the homo-value SE file"
fi

run 0 compare.log "$bin/Simvale" -noa net.1.noa -reffile "$data/insecta.jaspar" -out known.tsv
[ "$(head -1 known.tsv)" = "$(printf 'Sequence\tClosest Match\tMatch Score')" ] || fail "report header"
motifs=$(grep -c " = 5'MOTIF$" net.1.noa)
[ "$(($(wc -l < known.tsv) - 1))" -eq "$motifs" ] || fail "report does not list every motif"

run 0 conservation.log "$bin/VantorN" -fasta1 "$data/promoters.fa" -fasta2 "$data/relative.fa" \
  -orthotab "$data/orthologs.tab" -noa net.1.noa -ndecoy 50 -srand 1 -out conservation.noa
[ "$(head -1 conservation.noa)" = "Conservation (class=Double)" ] || fail "conservation header"
[ "$(($(wc -l < conservation.noa) - 1))" -eq "$motifs" ] || fail "conservation does not list every motif"
tail -n +2 conservation.noa > values.txt
all_match values.txt '^[^ ]+ = -?[0-9.e+-]+$' || fail "malformed conservation values"

echo "pipeline: $assoc associations, $pairs pairs, $motifs motifs"
