# Front door: `make test` runs every test in the dev and the sanitizer builds,
# `make demo` runs the corner job on the bundled sample.
JOBS ?= $(shell nproc)

.PHONY: all test test-dev test-asan release demo sample format clean

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
