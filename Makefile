# Entry points; see README.md. Each target installs what is missing first.
PRESET ?= default
JOBS ?= 2
# WERROR=ON builds with warnings as errors (CI does).
WERROR ?= OFF

.PHONY: setup build test demo asan tsan fuzz bench clean

setup:
	@scripts/setup.sh

build: setup
	cmake --preset $(PRESET) -DVORLIX_WERROR=$(WERROR) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET)

# The demo keeps its configuration and trace in build/demo: the first run
# starts from examples/demo.vqconfig, later runs from what the last one saved.
demo: build
	mkdir -p build/demo
	build/$(PRESET)/tools/host/vorlix-host --config build/demo --initial examples/demo.vqconfig \
	    --trace build/demo/trace.jsonl --module demo --run-ms 6000

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
