# Front door of the project: see README.md.
JOBS ?= 2
SEED ?= 1
COUNT ?= 100
FROM ?= 1
CMAKE_FLAGS ?=

.PHONY: deps configure build test test-asan test-tsan mutation mutation-random soak torture demo bench bench-process format clean package python fuzz

deps:
	bash scripts/install-deps

build/CMakeCache.txt:
	cmake -S . -B build $(CMAKE_FLAGS)

configure: build/CMakeCache.txt

build: deps configure
	cmake --build build -j$(JOBS)

test: build
	ctest --test-dir build --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B build-asan -DOMBRIXDC_SANITIZE=asan -DOMBRIXDC_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j$(JOBS)
	ctest --test-dir build-asan --output-on-failure -j$(JOBS)

test-tsan: deps
	cmake -S . -B build-tsan -DOMBRIXDC_SANITIZE=tsan -DOMBRIXDC_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-tsan -j$(JOBS)
	ctest --test-dir build-tsan --output-on-failure -j$(JOBS)

# A Debian package of the install in build/packages/.
package: build
	cmake --build build --target package

# The Python module alone: build/python/ombrixdc*.so (import it with PYTHONPATH=build/python).
python: deps configure
	cmake --build build -j$(JOBS) --target ombrixdc_python

# Applies each fault in tests/mutants and checks that the suite catches it (long; not in CI).
mutation: deps
	bash scripts/mutation-check

# COUNT random one-token mutants of src/ and platform/ chosen by SEED, and the share killed.
mutation-random: deps
	bash scripts/mutation-check --random --seed $(SEED) --count $(COUNT) --from $(FROM)

# 1,000 alternating learning and compensated runs in one process; fails if resident memory or
# open file descriptors grow after the first 100 runs (several minutes; not in CI).
soak: deps configure
	cmake --build build -j$(JOBS) --target ombrixdc_soak
	build/bin/ombrixdc_soak 1000

# The randomised client of tests/torture for SECONDS seconds: the fixed scenarios, then random
# sessions from a printed seed; a failure prints the seed and the calls to replay it.
SECONDS ?= 60
torture: deps configure
	cmake --build build -j$(JOBS) --target ombrixdc_torture
	build/bin/ombrixdc_torture --seconds $(SECONDS)

# Only the program and what it loads, not the test suite.
demo: deps configure
	cmake --build build -j$(JOBS) --target ombrixdc
	build/bin/ombrixdc demo

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DOMBRIXDC_BUILD_TESTS=OFF
	cmake --build build-bench -j$(JOBS) --target ombrixdc_bench
	build-bench/bin/ombrixdc_bench

# Whole-process timings of `ombrixdc --version` and the offline example's learning run against
# /bin/true in the same run (medians and ratios; BENCH_ROUNDS rounds of each).
BENCH_ROUNDS ?= 200
bench-process: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DOMBRIXDC_BUILD_TESTS=OFF
	cmake --build build-bench -j$(JOBS) --target ombrixdc
	python3 bench/process_bench.py build-bench/bin/ombrixdc $(BENCH_ROUNDS)

# The fuzz targets of fuzz/, built with clang and the address and undefined behaviour
# sanitizers, each run FUZZ_SECONDS seconds over its seeds (stops at the first crash).
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DOMBRIXDC_BUILD_FUZZ=ON \
	  -DOMBRIXDC_BUILD_TESTS=OFF -DOMBRIXDC_BUILD_BENCH=OFF -DOMBRIXDC_BUILD_PYTHON=OFF
	cmake --build build-fuzz -j$(JOBS) --target ombrixdc_fuzz
	bash scripts/run-fuzz $(FUZZ_SECONDS)

# The style file asks for braces on every block, which needs clang-format 16.
CLANG_FORMAT ?= clang-format-16

format:
	find platform src tools tests bench python examples include fuzz \( -name '*.h' -o -name '*.cpp' \) | xargs $(CLANG_FORMAT) -i

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
