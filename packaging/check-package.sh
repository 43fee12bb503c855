#!/usr/bin/env bash
# Checks a built .deb the way a user meets it: unpacked with dpkg -x into a
# temporary root, every program, man page and shared file present, and the
# example chain run from the unpacked programs on the unpacked examples
# (Tavrin-N, Tavrin, Simvale, VantorN, Tavrin-report, Tavrin-motifs), each
# of which must exit 0.
#
#   packaging/check-package.sh tavrin_VERSION_amd64.deb
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "Usage: packaging/check-package.sh PACKAGE.deb"
  echo "ERROR: give one existing .deb file"
  exit 1
fi
deb="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/unpacked"
bin="$root/unpacked/usr/bin"
share="$root/unpacked/usr/share"

fail() {
  echo "ERROR: $*"
  exit 1
}
programs=(Tavrin Tavrin-N Tavrin-N.HV Simvale VantorN VantorP Tavrin-report Tavrin-motifs)
for p in "${programs[@]}"; do
  [ -x "$bin/$p" ] || fail "$p is not in /usr/bin of the package"
  gzip -t "$share/man/man1/$p.1.gz" 2>/dev/null || fail "no man page $p.1.gz in section 1"
  zcat "$share/man/man1/$p.1.gz" | grep -q '^\.TH' || fail "$p.1.gz is not a man page"
done
for f in tavrin/README.md tavrin/workflow/Snakefile tavrin/examples/promoters.fa \
  doc/tavrin/copyright doc/tavrin/changelog.gz; do
  [ -f "$share/$f" ] || fail "/usr/share/$f is not in the package"
done
version="$(dpkg-deb -f "$deb" Version)"
zcat "$share/doc/tavrin/changelog.gz" | head -n 1 | grep -q "^tavrin ($version)" ||
  fail "the changelog does not name version $version"

ex="$share/tavrin/examples"
mkdir "$root/run"
cd "$root/run"
step() {
  local name="$1"
  shift
  local started=$SECONDS
  local status=0
  "$bin/$name" "$@" >"$name.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 5 "$name.log"
    fail "$name from the package exited with status $status"
  fi
  echo "  $name: ok ($((SECONDS - started)) s)"
}
echo "Package $deb (version $version): programs, man pages and files present; the example chain:"
step Tavrin-N -fasta "$ex/promoters.fa" -int "$ex/interactions.tab" -out motifs.se -srand 1
step Tavrin -fasta "$ex/promoters.fa" -se motifs.se -int "$ex/interactions.tab" -srand 1 -out network
step Simvale -noa network.1.noa -reffile "$ex/insecta.jaspar" -out known_motifs.tsv
step VantorN -fasta1 "$ex/promoters.fa" -fasta2 "$ex/relative.fa" -orthotab "$ex/orthologs.tab" \
  -noa network.1.noa -srand 1 -out conservation.noa
step Tavrin-report -net network -out "report page.html" -se motifs.se -fasta "$ex/promoters.fa" \
  -simvale known_motifs.tsv -conservation conservation.noa -title "Package check: examples"
step Tavrin-motifs -in network.1.noa -to meme -out motifs.meme
[ -s "report page.html" ] || fail "Tavrin-report wrote no page"
echo "Package check passed."
