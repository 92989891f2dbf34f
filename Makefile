# The two entry points: `make demo` runs the main job, `make test` runs every test twice
# (a normal build and an AddressSanitizer + UndefinedBehaviorSanitizer build).
JOBS ?= $(shell nproc)

.PHONY: deps build build-asan demo test bench format

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build -j $(JOBS)

build-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVEX_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)

demo: build
	@./build/tools/kavex/kavex demo

test: build build-asan
	@cd build && ctest --output-on-failure -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in build/bench/kavex_bench_*; do [ -x "$$b" ] && "$$b"; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
