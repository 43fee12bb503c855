#!/usr/bin/env bash
# Fault check: plants each hand-made fault of tests/mutants/*.patch into a
# scratch copy of the tree, rebuilds it incrementally, runs the whole suite and
# reports whether the suite caught the fault. The working tree is not changed,
# unless MUTANTS_IN_PLACE=1 asks to plant the faults in it and rebuild in
# MUTANTS_BUILD (default build): quicker when that build is current, and each
# fault is reverted before the next one and when the script stops.
#
#   scripts/mutants.sh                 every patch
#   scripts/mutants.sh 03 17-some-name the patches whose names start so
#   scripts/mutants.sh --record ...    also rewrite tests/mutants/expected.txt
#
# Exits 1 when a fault that expected.txt lists as caught is now missed.
# MUTANTS_DIR (default build-mutants) holds the copy and its build; JOBS (2).
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
work=${MUTANTS_DIR:-$top/build-mutants}
jobs=${JOBS:-2}
in_place=${MUTANTS_IN_PLACE:-0}
src=$work/src
bld=$work/build
if [ "$in_place" = 1 ]; then
  src=$top
  bld=${MUTANTS_BUILD:-$top/build}
fi
mkdir -p "$work"
record=0
if [ "${1:-}" = "--record" ]; then
  record=1
  shift
fi

patches=()
for p in "$top"/tests/mutants/*.patch; do
  name=$(basename "$p" .patch)
  if [ $# -eq 0 ]; then
    patches+=("$p")
  else
    for want in "$@"; do
      case "$name" in "$want"*) patches+=("$p") ;; esac
    done
  fi
done
[ ${#patches[@]} -gt 0 ] || { echo "no patch matches"; exit 2; }

# Copy the tree, touching only files whose content changed, so the build in
# the copy stays incremental from one run to the next.
sync_tree() {
  mkdir -p "$work/src"
  (cd "$top" && git ls-files -co --exclude-standard | grep -v -E '^(build[^/]*|demo-out)/') |
    while IFS= read -r f; do
      if [ -L "$top/$f" ]; then
        # Links stay links (a golden case writes through one to /dev/full).
        mkdir -p "$work/src/$(dirname "$f")"
        ln -sfn "$(readlink "$top/$f")" "$work/src/$f"
        continue
      fi
      [ -f "$top/$f" ] || continue
      if ! cmp -s "$top/$f" "$work/src/$f"; then
        mkdir -p "$work/src/$(dirname "$f")"
        cp -p "$top/$f" "$work/src/$f"
      fi
    done
}

# The copy lies inside this repository: stop git from finding it, so that
# git apply patches the copy's files instead of skipping them.
[ "$in_place" = 1 ] || export GIT_CEILING_DIRECTORIES=$work
build() { cmake --build "$bld" -j "$jobs" >"$work/build.log" 2>&1; }
# The quick unit and golden tests first, so that most faults are caught in a
# minute; then everything else. Together they are the whole suite.
suite() {
  (cd "$bld" && ctest -j "$jobs" --timeout 300 --stop-on-failure -L 'unit|golden' &&
    ctest -j "$jobs" --timeout 300 --stop-on-failure -LE 'unit|golden') >"$work/ctest.log" 2>&1
}

[ "$in_place" = 1 ] || sync_tree
cmake -S "$src" -B "$bld" -DCMAKE_BUILD_TYPE=Release >"$work/cmake.log" 2>&1 ||
  { echo "configure failed: $work/cmake.log"; exit 2; }
build || { echo "the unchanged tree does not build: $work/build.log"; exit 2; }
suite || { echo "the unchanged tree fails its suite: $work/ctest.log"; exit 2; }

expected="$top/tests/mutants/expected.txt"
results=$(mktemp)
applied=""
revert() { [ -z "$applied" ] || (cd "$src" && git apply -R "$applied") || echo "cannot revert $applied"; }
trap 'revert; rm -f "$results"' EXIT
trap 'exit 130' INT TERM
regressions=0
for p in "${patches[@]}"; do
  name=$(basename "$p" .patch)
  start=$(date +%s)
  if ! (cd "$src" && git apply "$p" 2>/dev/null); then
    result=does-not-apply
  elif (cd "$src" && git apply --check "$p" 2>/dev/null); then
    result=does-not-apply  # git skipped it: the tree is not where the patch points
  else
    applied=$p
    if ! build; then
      result=does-not-build
    elif suite; then
      result=missed
    else
      result=caught
      first=$(grep -m1 -E '\*\*\*Failed|\(Failed\)|\*\*\*Timeout|\*\*\*Exception' "$work/ctest.log" |
              sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+).*/\1/')
    fi
    revert
    applied=""
  fi
  printf '%-40s %-15s %4ss %s\n' "$name" "$result" $(($(date +%s) - start)) \
    "$([ "$result" = caught ] && echo "${first:-}")"
  echo "$name $result" >>"$results"
  was=$(awk -v n="$name" '$1 == n { print $2 }' "$expected" 2>/dev/null)
  if [ "$was" = caught ] && [ "$result" != caught ]; then
    echo "  REGRESSION: $name was caught before"
    regressions=$((regressions + 1))
  fi
done

echo
echo "caught $(grep -c ' caught$' "$results") / missed $(grep -c ' missed$' "$results") /" \
  "does-not-apply $(grep -c ' does-not-apply$' "$results") of ${#patches[@]}"
if [ $record -eq 1 ]; then
  touch "$expected"
  while read -r name result; do
    grep -v -E "^$name " "$expected" >"$expected.tmp" || true
    echo "$name $result" >>"$expected.tmp"
    sort "$expected.tmp" >"$expected"
    rm -f "$expected.tmp"
  done <"$results"
fi
# Leave the copy's build matching the unchanged tree.
build
[ $regressions -eq 0 ]
