# Front door: `make test` runs every test in the dev and the sanitizer builds,
# `make demo` runs the corner job on the bundled sample.
JOBS ?= $(shell nproc)

.PHONY: all test test-dev test-asan release demo sample format clean cross-test fuzz fuzz-seeds windows test-windows bench bench-build bench-micro

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

# Fuzzing (clang, the fuzz preset): each target runs FUZZ_SECONDS, starting from every
# file under tests/data; new inputs collect in build/fuzz/corpus/TARGET and a crash is
# saved as build/fuzz/artifacts/TARGET-* and fails the run. No single allocation may pass
# 32 MiB: the targets keep pictures far below the grid cap, so a bigger one can only come
# from a header value. Save crashes under tests/data/fuzz/crashes so ctest replays them.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = round_trip header_inspection resample_copies wide_paths
FUZZ_FLAGS = -rss_limit_mb=1024 -malloc_limit_mb=32 -timeout=10 -print_final_stats=1
# The file targets write scratch files on every run: memory-backed when there is such.
FUZZ_TMPDIR ?= $(if $(wildcard /dev/shm),/dev/shm,/tmp)

fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@set -e; mkdir -p build/fuzz/artifacts; for t in $(FUZZ_TARGETS); do \
	    case $$t in round_trip|header_inspection) dict=-dict=fuzz/bmp.dict;; *) dict=;; esac; \
	    mkdir -p build/fuzz/corpus/$$t; \
	    echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
	    TMPDIR=$(FUZZ_TMPDIR) build/fuzz/fuzz_$$t $(FUZZ_FLAGS) $$dict -max_total_time=$(FUZZ_SECONDS) \
	        -artifact_prefix=build/fuzz/artifacts/$$t- build/fuzz/corpus/$$t tests/data; \
	done

# Rewrites the seed corpus from fuzz/seed_generator.cpp.
fuzz-seeds:
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS) --target fuzz_seeds

# VantrelBMPCorners.dll for 64-bit and 32-bit Windows, cross-built with mingw-w64. The
# Linux build of the module beside them supplies the output the DLL must reproduce.
WINDOWS_TARGETS = x64:x86_64 x86:i686

windows:
	cmake -S . -B build-windows/linux -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF
	cmake --build build-windows/linux -j $(CROSS_JOBS) --target VantrelBMPCorners
	@set -e; for t in $(WINDOWS_TARGETS); do \
	    name=$${t%%:*}; cpu=$${t#*:}; \
	    cmake -S . -B build-windows/$$name -DCMAKE_BUILD_TYPE=Release \
	        --toolchain $(CURDIR)/cmake/toolchains/mingw-w64-$$cpu.cmake \
	        -DVANTREL_LINUX_MODULE=$(CURDIR)/build-windows/linux/VantrelBMPCorners.so; \
	    cmake --build build-windows/$$name -j $(CROSS_JOBS) --target VantrelBMPCorners bmp_corners_host; \
	done

# The identity checks of both DLLs; the 64-bit one also runs under Wine.
test-windows: windows
	ctest --test-dir build-windows/x64 --output-on-failure --no-tests=error
	ctest --test-dir build-windows/x86 --output-on-failure --no-tests=error

# The corner job against cp, Pillow, ImageMagick and OpenCV on 8192 x 8192 pictures, one
# table of times, peak memory and ratios (bench/run_bench.py; BENCH_ARGS=--help lists
# its options). bench-micro runs the Google Benchmark micro-benchmarks.
BENCH_ARGS ?=

bench-build:
	bash bench/install-deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_TESTS=OFF \
	    -DVANTREL_BUILD_BENCHMARKS=ON
	cmake --build build/bench -j $(JOBS) --target bmpcorners bmpgen vantrel_micro_benchmarks

bench: bench-build
	/usr/bin/python3 bench/run_bench.py --build build/bench --work build/bench/run $(BENCH_ARGS)

bench-micro: bench-build
	build/bench/vantrel_micro_benchmarks $(BENCH_ARGS)
