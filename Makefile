# The two commands a fresh clone needs:
#   make demo   builds the converter and runs the demo job in a scratch copy
#   make test   builds and runs every test
# and, for speed:
#   make bench  times whole jobs against their I/O floor (README, Performance)
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build demo test test-unit bench test-bench-smoke

all: build

build:
	cmake -S . -B build
	cmake --build build -j $(JOBS)

demo: build
	scripts/run-demo.sh build

# The unit tests run last, so that their summary closes the output.
test: test-bench-smoke test-unit

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
