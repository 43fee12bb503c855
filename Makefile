# Thin front over CMake: `make` (Release build), `make test`, `make demo`.
BUILD ?= build
JOBS ?= 2
PREFIX ?= /usr/local

.PHONY: all build test demo install clean bench

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo.sh $(BUILD) demo-out

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAVRIN_BENCH=ON
	cmake --build build-bench -j $(JOBS) --target benchmarks

clean:
	rm -rf $(BUILD) build-sanitize build-bench demo-out
