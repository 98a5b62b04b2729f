# Front door: `make test` runs every test in the dev and the sanitizer builds,
# `make demo` runs the corner job on the bundled sample.
JOBS ?= $(shell nproc)

.PHONY: all test test-dev test-asan release demo sample format clean cross-test

all: release

test: test-dev test-asan

test-dev:
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)

test-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

release:
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# The sample is made by the project's own generator (`make sample` makes it anew).
demo: release
	mkdir -p out
	build/release/bmpcorners -v examples/sample.bmp out/sample-corners.bmp

sample: release
	build/release/bmpgen 24 256 192 examples/sample.bmp

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build out

# Cross builds: the library and its unit tests for 32-bit ARM and for big-endian s390x,
# run under qemu-user (packages: .ci/install-cross-deps).
CROSS_JOBS ?= 2
CROSS_TARGETS = arm:arm-linux-gnueabihf s390x:s390x-linux-gnu

# The host's own build of the sample writer supplies the files that the targets' must match.
cross-test:
	cmake -S . -B build-cross/host -DCMAKE_BUILD_TYPE=Release
	cmake --build build-cross/host -j $(CROSS_JOBS) --target portability_samples
	@set -e; for t in $(CROSS_TARGETS); do \
	    name=$${t%%:*}; triple=$${t#*:}; \
	    cmake -S . -B build-cross/$$name -DCMAKE_BUILD_TYPE=Release \
	        --toolchain $(CURDIR)/cmake/toolchains/$$triple.cmake \
	        -DVANTREL_HOST_SAMPLE_WRITER=$(CURDIR)/build-cross/host/portability_samples; \
	    cmake --build build-cross/$$name -j $(CROSS_JOBS); \
	    ctest --test-dir build-cross/$$name -j $(CROSS_JOBS) --output-on-failure --no-tests=error; \
	done
