# Thin front over CMake: `make` (Release build), `make test`, `make demo`,
# `make workflow` (the Snakemake workflow on examples/), `make package` (the
# .deb). Each first installs the Debian packages it needs
# (scripts/install-deps.sh; it prints the apt-get line when it cannot).
BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local

.PHONY: all build test demo workflow install package package-check clean bench fuzz calibration-study

# What scripts/install-deps.sh makes sure of; the targets below widen it.
DEPS = build
# The one version number, from project(... VERSION ...).
VERSION := $(shell grep -m1 '^project' CMakeLists.txt | grep -o 'VERSION [0-9.]*' | cut -d' ' -f2)

all: build

build:
	@scripts/install-deps.sh $(DEPS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: DEPS = test
test: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

demo: DEPS = demo
demo: build
	scripts/demo.sh $(BUILD) demo-out

# The Snakemake workflow on the example data (workflow/config/datasets.tsv),
# programs from this build.
workflow: DEPS = test
workflow: build
	snakemake -s workflow/Snakefile --directory workflow-out --cores $(JOBS) \
	  --config bin=$(abspath $(BUILD))/bin

# How far the workflow's FDRs can be trusted: data sets with a motif pair
# planted in 0, 100, 200 and 400 interactions, each run with its null
# replicates (workflow/study/; about 25 minutes on 2 idle cores).
calibration-study: DEPS = test
calibration-study: build
	python3 workflow/study/calibration_study.py --bin $(BUILD)/bin --out calibration-study \
	  --cores $(JOBS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# tavrin_<version>_amd64.deb in $(BUILD) (CPack), then lintian on it.
package: DEPS = package
package:
	@scripts/install-deps.sh $(DEPS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target package_files
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error $(BUILD)/tavrin_$(VERSION)_amd64.deb

# The package unpacked with dpkg -x and the example chain run from it (CI).
package-check: package
	packaging/check-package.sh $(BUILD)/tavrin_$(VERSION)_amd64.deb

# Micro benchmarks (Google Benchmark), then every program on generated scale
# inputs (scripts/bench.sh: wall and CPU time on one thread and on all cores,
# on a quiet machine and beside two busy competitors it starts and stops,
# peak memory, md5 of the outputs).
bench: build
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON
	cmake --build build-bench -j $(JOBS) --target benchmarks
	scripts/bench.sh $(BUILD) bench-out

# Each fuzz target for FUZZ_SECONDS (clang with libFuzzer; see README).
FUZZ_SECONDS ?= 60
fuzz:
	fuzz/run_fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-sanitize build-bench build-fuzz build-tsan demo-out bench-out workflow-out calibration-study
