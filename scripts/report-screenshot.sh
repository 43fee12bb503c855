#!/usr/bin/env bash
# Remakes docs/report.png, the README's picture of the report page, from the
# files of a demo run (make demo): the page is written again from inside the
# run folder with relative paths, so the picture shows no path of the machine
# it was made on, and its top is photographed by headless Chromium.
#
#   scripts/report-screenshot.sh [build-dir] [demo-dir]     (defaults: build demo-out)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-build}"
demo="${2:-demo-out}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
case "$demo" in /*) ;; *) demo="$root/$demo" ;; esac
report="$build/bin/Tavrin-report"

[ -x "$report" ] || { echo "ERROR: $report is missing; build first (make)."; exit 1; }
[ -f "$demo/network.sif" ] || { echo "ERROR: $demo holds no demo run; run make demo first."; exit 1; }
browser="$(command -v chromium || command -v chromium-browser || true)"
[ -n "$browser" ] || { echo "ERROR: Chromium is not installed (scripts/install-deps.sh test)."; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The demo folder seen from a neighbour of examples/, as in the README.
mkdir "$work/demo-out"
cp "$demo"/network.* "$demo"/motifs.se "$work/demo-out/"
ln -s "$root/examples" "$work/examples"
optional=()
for pair in "-simvale known_motifs.tsv" "-conservation conservation.noa" \
  "-calibration calibration.tsv"; do
  set -- $pair
  if [ -f "$demo/$2" ]; then
    cp "$demo/$2" "$work/demo-out/"
    optional+=("$1" "$2")
  fi
done
cd "$work/demo-out"
# The date of the last commit, so the same run gives the same picture.
SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)" "$report" -net network -out report.html \
  -se motifs.se -fasta ../examples/promoters.fa -reffile ../examples/insecta.jaspar \
  "${optional[@]}" -title "Tavrin demo: fruit-fly promoters" >report.log ||
  { tail -n 3 report.log; exit 1; }
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run \
  --user-data-dir="$work/profile" --virtual-time-budget=10000 --window-size=1280,1500 \
  --screenshot="$work/report.png" "file://$work/demo-out/report.html" >/dev/null 2>&1
[ -s "$work/report.png" ] || { echo "ERROR: Chromium wrote no screenshot."; exit 1; }
cp "$work/report.png" "$root/docs/report.png"
echo "docs/report.png written from $demo (paths on the page relative to demo-out/)."
