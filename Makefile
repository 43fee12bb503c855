# Thin front over CMake: `make` (Release build), `make test`, `make demo`,
# `make workflow` (the Snakemake workflow on examples/).
BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local

.PHONY: all build test demo workflow install clean bench fuzz

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo.sh $(BUILD) demo-out

# The Snakemake workflow on the example data (workflow/config/datasets.tsv),
# programs from this build.
workflow: build
	snakemake -s workflow/Snakefile --directory workflow-out --cores $(JOBS) \
	  --config bin=$(abspath $(BUILD))/bin

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Micro benchmarks (Google Benchmark), then every program on generated scale
# inputs (scripts/bench.sh: wall time, peak memory, md5 of the outputs).
bench: build
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON
	cmake --build build-bench -j $(JOBS) --target benchmarks
	scripts/bench.sh $(BUILD) bench-out

# Each fuzz target for FUZZ_SECONDS (clang with libFuzzer; see README).
FUZZ_SECONDS ?= 60
fuzz:
	fuzz/run_fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-sanitize build-bench build-fuzz build-tsan demo-out bench-out workflow-out
