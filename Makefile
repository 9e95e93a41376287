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

test: test-unit test-windows

test-unit: build
	ctest --test-dir build --output-on-failure -j $(JOBS)

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
