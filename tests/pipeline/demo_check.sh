#!/usr/bin/env bash
# `make demo`'s script on the cut-down example data with two null replicates:
# every pair gets an FDR, the terminal table and the page are ranked by it,
# and a failing replicate fails the demo instead of being left out.
# Usage: demo_check.sh <bin-dir> <data-dir> <work-dir>
set -uo pipefail
bin="$1"; data="$2"; work="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"
rm -rf "$work"; mkdir -p "$work"
fail() { echo "DEMO FAILURE: $*"; exit 1; }

# The demo wants its programs in <build>/bin.
build="$work/build"; mkdir -p "$build"; ln -s "$bin" "$build/bin"
DEMO_EXAMPLES="$data" DEMO_REPLICATES=2 "$root/scripts/demo.sh" "$build" "$work/out" \
  > "$work/demo.log" 2>&1 || { cat "$work/demo.log"; fail "demo exited $?"; }
out="$work/out"
pairs=$(wc -l < "$out/network.sif")
[ "$pairs" -gt 0 ] || fail "no pair on the test data"
[ "$(head -1 "$out/calibration.tsv")" = "$(printf 'element_a\telement_b\tscore\tnull_mean_count\treal_count\tfdr')" ] \
  || fail "calibration header"
[ "$(($(wc -l < "$out/calibration.tsv") - 1))" -eq "$pairs" ] || fail "not every pair has an FDR"
for k in 1 2; do
  [ -s "$out/null/$k/interactions.tab" ] && [ -f "$out/null/$k/net.1.eda" ] || fail "replicate $k"
  grep -q -- "-int null/$k/interactions.tab" "$out/null/$k/motif_pairs.log" &&
    grep -q -- "-int null/$k/interactions.tab" "$out/null/$k/element_pairs.log" ||
    fail "replicate $k's programs did not both read its network"
done
grep -q "mean null pairs over 2 replicates" "$out/calibration_summary.txt" || fail "summary"
# The table: FDRs as in calibration.tsv, in ascending order.
table=$(sed -n '/^  pair  *FDR  *score (MI)/,/^$/p' "$work/demo.log" | sed '1d;/^$/d')
[ -n "$table" ] || { cat "$work/demo.log"; fail "no pair table"; }
shown=$(echo "$table" | wc -l)
[ "$shown" -eq "$(( pairs < 15 ? pairs : 15 ))" ] || fail "$shown rows shown for $pairs pairs"
fdrs=$(echo "$table" | awk '{print $3}')
[ "$fdrs" = "$(echo "$fdrs" | sort -s -g)" ] || fail "table not ranked by FDR: $fdrs"
expected=$(tail -n +2 "$out/calibration.tsv" | cut -f6 | sort -g | head -n "$shown")
[ "$fdrs" = "$expected" ] || fail "table FDRs $fdrs differ from calibration.tsv $expected"
grep -q '"hasFdr":true' "$out/report.html" || fail "the page has no FDR"

# A replicate that fails (its network unreadable) fails the demo.
mkdir -p "$work/broken"
for f in "$data"/*; do ln -s "$f" "$work/broken/"; done
printf '#!/usr/bin/env bash\ncase "$*" in *null/*) echo "ERROR: simulated failure. Program aborted."; exit 1;; esac\nexec %q "$@"\n' \
  "$bin/Tavrin-N" > "$work/Tavrin-N"
chmod +x "$work/Tavrin-N"
bad="$work/bad-build"; mkdir -p "$bad/bin"
for p in "$bin"/*; do ln -s "$p" "$bad/bin/"; done
rm "$bad/bin/Tavrin-N"; cp "$work/Tavrin-N" "$bad/bin/Tavrin-N"
if DEMO_EXAMPLES="$work/broken" DEMO_REPLICATES=2 "$root/scripts/demo.sh" "$bad" "$work/bad-out" \
  > "$work/bad.log" 2>&1; then
  fail "a failed replicate was not reported"
fi
grep -q "ERROR: a null replicate failed" "$work/bad.log" || { cat "$work/bad.log"; fail "no error line"; }
echo "demo: $pairs pairs, each with an FDR"
