#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages a task needs, so that `make demo` and
# `make test` work on a bare machine that has only what building anything
# takes (a compiler, cmake, make, git).
#
#   scripts/install-deps.sh [--check] PURPOSE...
#
# PURPOSE: build (the programs), demo (build and run the example pipeline),
# test (the whole test suite), package (the .deb and its checks), ci (all of
# it plus the sanitizer, ThreadSanitizer and fuzz builds of .ci/run).
# Missing packages are installed with apt-get when running as root or when
# sudo works without a password; otherwise the one apt-get line to run is
# printed and the exit status is 1. --check only reports (exit 1 if anything
# is missing).
set -euo pipefail

usage() {
  echo "Usage: scripts/install-deps.sh [--check] build|demo|test|package|ci ..."
}

check_only=0
purposes=()
for argument in "$@"; do
  case "$argument" in
    --check) check_only=1 ;;
    build | demo | test | package | ci) purposes+=("$argument") ;;
    -h | --help)
      usage
      exit 0
      ;;
    *)
      usage
      echo "ERROR: unknown purpose $argument"
      exit 1
      ;;
  esac
done
if [ ${#purposes[@]} -eq 0 ]; then
  usage
  echo "ERROR: no purpose given"
  exit 1
fi

need=()
add() {
  local package
  for package in "$@"; do
    case " ${need[*]-} " in *" $package "*) ;; *) need+=("$package") ;; esac
  done
}
has() { command -v "$1" >/dev/null 2>&1; }

# Each check looks for what the build or the tests use, not for the package
# name, so tools installed another way count too.
want_build() {
  has g++ || has c++ || add g++
  has cmake || add cmake
  has make || add make
  [ -f /usr/include/nlohmann/json.hpp ] || add nlohmann-json3-dev
}
want_demo() {
  want_build
  has python3 || add python3
}
want_test() {
  want_demo
  [ -f /usr/include/gtest/gtest.h ] || add libgtest-dev
  # The interop test runs Debian's own Python with Debian's Biopython.
  /usr/bin/python3 -c 'import Bio.motifs' >/dev/null 2>&1 || add python3 python3-biopython
  # Ubuntu names the browser package chromium-browser.
  if ! has chromium && ! has chromium-browser; then
    if grep -qs '^ID=ubuntu' /etc/os-release; then add chromium-browser; else add chromium; fi
  fi
  has snakemake || add snakemake
  has bedtools || add bedtools
}
want_package() {
  want_build
  has help2man || add help2man
  has lintian || add lintian
  has dpkg-shlibdeps || add dpkg-dev
  has file || add file
}
want_ci() {
  want_test
  want_package
  [ -f /usr/include/benchmark/benchmark.h ] || add libbenchmark-dev
  has clang++ || add clang
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    add libclang-rt-14-dev
  ls /usr/lib/llvm-*/lib/libarcher.so >/dev/null 2>&1 || add libomp-14-dev
}
for purpose in "${purposes[@]}"; do "want_$purpose"; done

[ ${#need[@]} -eq 0 ] && exit 0

echo "Missing for ${purposes[*]}: ${need[*]}"
if [ "$check_only" -eq 1 ]; then
  echo "Install with: sudo apt-get install -y ${need[*]}"
  exit 1
fi
if ! has apt-get; then
  echo "ERROR: no apt-get here; install these packages (Debian names) another way: ${need[*]}"
  exit 1
fi
run=()
if [ "$(id -u)" -ne 0 ]; then
  # -n: never wait for a password in a build.
  if has sudo && sudo -n true >/dev/null 2>&1; then
    run=(sudo -n)
  else
    echo "ERROR: not root, and sudo is missing or needs a password. Run this, then the same make command again:"
    echo "  sudo apt-get install -y ${need[*]}"
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${need[*]}"
# The package lists may be missing or stale on a fresh machine.
"${run[@]}" apt-get update -qq
"${run[@]}" apt-get install -y -qq "${need[@]}"
