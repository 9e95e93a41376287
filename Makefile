# The two commands a fresh clone needs:
#   make demo   builds the converter and runs the demo job in a scratch copy
#   make test   builds and runs every test
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build demo test test-unit test-sanitize test-fuzz

all: build

build:
	cmake -S . -B build
	cmake --build build -j $(JOBS)

demo: build
	scripts/run-demo.sh build

test: test-unit test-fuzz test-windows test-sanitize

test-unit: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

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
