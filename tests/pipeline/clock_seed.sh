#!/usr/bin/env bash
# A negative -srand seeds from the clock: Tavrin, VantorN and VantorP print
# the time they used, which a golden case cannot pin.
# Usage: clock_seed.sh <bin-dir> <golden-dir> <work-dir>
set -uo pipefail
bin="$1"; golden="$2"; work="$3"
rm -rf "$work"; mkdir -p "$work"

check() {  # check <program> <case folder> args...
  local program="$1" case_dir="$golden/$2"; shift 2
  local before after seed
  before=$(date +%s)
  (cd "$case_dir" && "$bin/$program" "$@") > "$work/$program.log"
  after=$(date +%s)
  seed=$(sed -n 's/^srand: //p' "$work/$program.log")
  if ! [[ "$seed" =~ ^[0-9]+$ ]] || [ "$seed" -lt "$before" ] || [ "$seed" -gt "$after" ]; then
    echo "$program printed srand '$seed', not a time between $before and $after"
    exit 1
  fi
}

check Tavrin pair_finder/finds_pairs -fasta genes.fa -se elements.se -int net.tab \
  -out "$work/res" -srand -1 -jnum 1
check VantorN conservation/five_prime_both_strands -fasta1 one.fa -fasta2 two.fa \
  -orthotab orth.tab -noa m.noa -out "$work/out.noa" -srand -5 -ndecoy 2
check VantorP conservation_protein/protein_run -fasta1 one.fa -fasta2 two.fa \
  -orthotab orth.tab -noa m.noa -out "$work/p.noa" -srand -2 -ndecoy 2
echo "clock seeds: passed"
