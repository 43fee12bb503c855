#!/usr/bin/env bash
# Hostile inputs: each run ends with exit 0 and the output, or with exactly
# one ERROR line, exit 1 and no output left behind (no partial file either).
#   hostile_inputs.sh CONVERTER WORK_DIR
set -euo pipefail
converter=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"

row() { awk -v n="$2" -v l="$1" 'BEGIN { printf "%s [", l; for (i = 0; i < n; i++) printf " %d", i % 7; print " ]" }'; }
{ echo ">W1 wide"; for b in A C G T; do row $b 100000; done; } > wide.jaspar
awk 'BEGIN { printf ">H h\nA ["; for (i = 0; i < 4500000; i++) printf " 1"; print " ]" }' > huge_line.jaspar
head -c 20000 /dev/urandom > random.bin
printf 'ID  x\nP0  A  C  G  T\n01  1  2  nan  4\n//\n' > nan.transfac
printf '>M m\nA [ 1 2 ]\nC [ 0 -3 ]\nG [ 0 0 ]\nT [ 0 1 ]\n' > negative.jaspar
printf 'MEME version 4\nMOTIF m\nletter-probability matrix: w= 1 nsites= 1e300\n1 0 0 0\n' > huge_nsites.meme

failed=0
# expect OUTCOME INPUT FORMAT OUT [extra options]
expect() {
  local outcome=$1 input=$2 to=$3 out=$4
  shift 4
  local status=0
  "$converter" -in "$input" -to "$to" -out "$out" "$@" > console.txt || status=$?
  local errors
  errors=$(grep -c '^ERROR: ' console.txt || true)
  if [ "$outcome" = ok ]; then
    if [ $status -ne 0 ] || [ ! -e "$out" ]; then echo "FAILED: $input -> $to should convert"; failed=1; fi
  elif [ $status -ne 1 ] || [ "$errors" -ne 1 ] || [ -e "$out" ] || [ -e "$out.partial" ]; then
    echo "FAILED: $input -> $to should give one ERROR line and no output"; cat console.txt; failed=1
  fi
}
expect ok wide.jaspar meme wide.meme
expect ok wide.jaspar ace wide_ace
expect error huge_line.jaspar meme huge.meme
expect error random.bin jaspar random.jaspar -from jaspar
expect error random.bin jaspar random2.jaspar -from meme
expect error random.bin jaspar random3.jaspar -from transfac
expect error random.bin jaspar random4.jaspar -from homer
expect error random.bin jaspar random5.jaspar -from pfm
expect error nan.transfac jaspar nan.jaspar
expect error negative.jaspar ace negative_ace
expect error huge_nsites.meme jaspar huge_nsites.jaspar
[ $failed -eq 0 ] && echo "every hostile input converted or refused with one ERROR line"
exit $failed
