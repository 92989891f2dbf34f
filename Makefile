# The two entry points: `make demo` runs the main job, `make test` runs every test twice
# (a normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build).
# `make` alone builds; `make help` lists the targets.
JOBS ?= $(shell nproc)
# The project's own builds treat warnings as errors.
CMAKE_FLAGS = -DKAVEX_WERROR=ON

.DEFAULT_GOAL := build
.PHONY: help deps configure configure-asan build demo test bench format

help:
	@echo "make            builds the program, the tests and the benchmarks (./build)"
	@echo "make demo       builds the program alone, then runs the demonstration session"
	@echo "make test       builds the program and the tests twice (normal, and with the address"
	@echo "                and undefined-behaviour sanitizers in ./build-asan) and runs every test"
	@echo "                in both"
	@echo "make bench      builds the benchmarks, runs every one; fails when one misses its goal"
	@echo "make format     formats the tracked C++ sources with clang-format"
	@echo "make deps       installs the Debian packages the build needs"
	@echo "make help       this list"
	@echo "JOBS=N sets the parallel build jobs (default: all processors)."

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

configure-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVEX_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null

# Each target builds what it runs: the demo needs the program alone, the tests need the program
# (for the scenario scripts) and the test programs, the benchmarks only themselves.
build: configure
	@cmake --build build -j $(JOBS)

demo: configure
	@cmake --build build -j $(JOBS) --target kavex
	@./build/tools/kavex/kavex demo

test: configure configure-asan
	@cmake --build build -j $(JOBS) --target kavex_all_tests
	@cmake --build build-asan -j $(JOBS) --target kavex_all_tests
	@cd build && ctest --output-on-failure -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

# Every benchmark runs; the target fails when any of them misses its goal (or does not run).
bench: configure
	@cmake --build build -j $(JOBS) --target kavex_all_benchmarks
	@missed=""; \
	for src in bench/*.cpp; do \
		b="build/bench/kavex_bench_$$(basename $$src .cpp)"; \
		echo "== $$(basename $$b)"; \
		if [ -x "$$b" ]; then "$$b" || missed="$$missed $$(basename $$b)"; \
		else missed="$$missed $$(basename $$b)"; fi; \
	done; \
	if [ -n "$$missed" ]; then echo "missed the goal:$$missed"; exit 1; fi

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
