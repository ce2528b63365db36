# The two commands: `make run` and `make test`. Both install what the machine lacks first.
SHELL := /bin/bash
JOBS ?= 2
FUZZ_SECONDS ?= 20

.PHONY: all setup run test test-native test-windows bench fuzz dist package release-check \
	screenshot format clean

all: test

setup:
	@scripts/setup

run: setup
	@scripts/run

test: setup test-native test-windows

test-native:
	cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan -j$(JOBS)
	ctest --preset native-asan

test-windows:
	@scripts/windows-tests

bench: setup
	cmake --preset native >/dev/null
	cmake --build --preset native -j$(JOBS) --target wordlist_bench deck_memory_bench pelmo-deck
	cd build/native && ./bench/wordlist_bench && ./bench/deck_memory_bench ./pelmo-deck memory-bench
	python3 bench/page_bench.py build/native/pelmo-deck build/native/page-bench
	@scripts/windows-bench

fuzz: setup
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)
	@scripts/fuzz $(FUZZ_SECONDS)

# The release: the Windows zip, the Debian package, and the check that builds both twice.
dist: setup
	@scripts/dist

package: setup
	@scripts/package

release-check: setup
	@scripts/release-check

screenshot: setup
	@scripts/screenshot

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
