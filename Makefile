# The two commands a fresh clone needs:
#   make demo   builds the converter and runs the demo job in a scratch copy
#   make test   builds and runs every test
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build demo test test-unit

all: build

build:
	cmake -S . -B build
	cmake --build build -j $(JOBS)

demo: build
	scripts/run-demo.sh build

test: test-unit

test-unit: build
	ctest --test-dir build --output-on-failure -j $(JOBS)
