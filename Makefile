# The two commands a fresh clone needs:
#   make demo   builds the converter and runs the demo job in a scratch copy
#   make test   builds and runs every test
# and, for speed:
#   make bench  times whole jobs against their I/O floor (README, Performance)
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build demo test test-unit test-sanitize test-fuzz bench test-bench-smoke

all: build

build:
	cmake -S . -B build
	cmake --build build -j $(JOBS)

demo: build
	scripts/run-demo.sh build

# The benchmark's smoke run first, so that a test summary closes the output.
test: test-bench-smoke test-unit test-fuzz test-windows test-sanitize

test-unit: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

# A few seconds: small jobs through the benchmark, whose output must equal
# the per-bit conversion's byte for byte.
test-bench-smoke: build
	build/quendrix_bench --size 61x37 --size 300x17 --count 5 --runs 1 --cpu -1 --reference

# The benchmark, built on its own with optimisation and no tests.
BENCH_ARGS ?= --size 2047x2048 --reference
bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQUENDRIX_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target quendrix quendrix_bench
	build-bench/quendrix_bench $(BENCH_ARGS)

# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails it (the tests that run the
# program as a child fail on its report too).
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-sanitize:
	cmake -S . -B build-asan -DQUENDRIX_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir build-asan --output-on-failure -j $(JOBS)

# Both fuzz targets (clang's libFuzzer), FUZZ_SECONDS each; fails on a finding.
FUZZ_SECONDS ?= 60

test-fuzz:
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQUENDRIX_FUZZ=ON -DQUENDRIX_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target bitmap_fuzzer job_fuzzer
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# The Windows program, cross-compiled with mingw-w64 and tested under Wine:
#   make build-windows   builds build-windows/quendrix.exe
#   make test-windows    runs its unit tests under Wine and compares its
#                        results with the Linux program's on tests/jobs
.PHONY: build-windows test-windows

build-windows:
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build build-windows -j $(JOBS)

test-windows: build build-windows
	ctest --test-dir build-windows --output-on-failure --no-tests=error -j $(JOBS)
	scripts/compare-windows.sh build build-windows
