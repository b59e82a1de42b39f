# SPDX-License-Identifier: GPL-3.0-or-later
# make run   installs what is missing, builds and starts Zendral
# make test  installs what is missing, builds and runs the whole test suite headless
# make bench builds and runs the benchmarks
# make package builds the Debian package build/zendral_<version>_<arch>.deb
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: setup build run test bench install package clean

setup:
	@tools/setup.sh

build: setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/zendral

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD) --target zendral_bench
	for b in $$(find $(BUILD)/bench -maxdepth 1 -type f -executable -name "bench_*" | sort); do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b; done
	python3 tools/encoding_corpus.py $(BUILD)/bench/bench_encodings

install: build
	cmake --install $(BUILD) --prefix $(or $(PREFIX),$(HOME)/.local)

package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD)
