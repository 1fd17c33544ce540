# Entry points; see README.md. Each target installs what is missing first.
PRESET ?= default
JOBS ?= 2

.PHONY: setup build test demo asan tsan fuzz bench clean

setup:
	@scripts/setup.sh

build: setup
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET)

demo: build
	build/$(PRESET)/tools/host/vorlix-host --config examples/demo --run-ms 15000

asan:
	$(MAKE) test PRESET=asan

tsan:
	$(MAKE) test PRESET=tsan

fuzz:
	$(MAKE) test PRESET=fuzz

bench: build
	for b in build/$(PRESET)/bench/bench_*; do $$b; done

clean:
	rm -rf build
