# The README's commands. Each installs what it needs on a fresh Debian machine.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: all deps test test-asan test-tsan test-release test-windows test-fuzz format-check format demo bench clean

all: test

deps:
	@bash .ci/install-deps.sh

# Every gate: sanitizers, threads, formatting, the release package, the
# Windows build under Wine, and each fuzz target for a minute.
FUZZ_SECONDS ?= 60
test: deps test-asan test-tsan test-fuzz format-check test-release test-windows

test-asan: deps
	cmake --preset debug-asan
	cmake --build --preset debug-asan -j $(JOBS)
	ctest --preset debug-asan -j $(JOBS)

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

test-release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)

test-windows: deps
	cmake --preset mingw32
	cmake --build --preset mingw32 -j $(JOBS)
	bash .ci/wine-ctest.sh mingw32

test-fuzz: deps
	bash fuzz/run.sh pe_resources_fuzz $(FUZZ_SECONDS)
	bash fuzz/run.sh riff_fuzz $(FUZZ_SECONDS)

format-check: deps
	bash .ci/format-check.sh

format:
	find platform module streams riff internet log system tools tests bench fuzz -type f \
	  \( -name '*.cpp' -o -name '*.h' \) | xargs clang-format -i

# The quor tool on a real job: a file streamed whole, from a base offset,
# through a window, and looped over the window.
demo: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target quor_tool
	bash tools/demo.sh build/release/bin/quor

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	bash bench/run.sh build/release/bin

clean:
	rm -rf build
