# Pomvex: the two commands a player or developer needs are `make play` and
# `make test`; everything else is a step of those or a convenience.

BUILD      := build
ASAN_BUILD := build-asan
RUN        := $(BUILD)/run
CMAKE_ARGS := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOMVEX_WERROR=ON
# The sanitizer build links the pictures of the normal build instead of
# rasterising them a second time.
ASAN_ARGS  := -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPOMVEX_WERROR=ON -DPOMVEX_SANITIZE=ON \
              -DPOMVEX_PICTURES_FROM=$(CURDIR)/$(RUN)/Data

.PHONY: deps configure build play test test-normal test-asan asan-build bench bench-live bench-net options editor \
        contact-sheet sound-sheet fuzz soak screenshots deb clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) > /dev/null

build: configure
	cmake --build $(BUILD)

play: build
	cd $(RUN) && ../pomvex

options: build
	cd $(RUN) && ../pomvex-options

editor: build
	cd $(RUN) && ../powerup-editor

test: test-normal test-asan

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-asan: asan-build
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

asan-build: build
	@cmake -S . -B $(ASAN_BUILD) $(ASAN_ARGS) > /dev/null
	cmake --build $(ASAN_BUILD)

bench: build
	cmake --build $(BUILD) --target pomvex-bench
	cd $(RUN) && SDL_VIDEODRIVER=dummy ../pomvex-bench

# The real program at its own pace on an Xvfb display: CPU and frame times.
bench-live: build
	cmake --build $(BUILD) --target pomvex-live-bench
	bench/live.sh $(BUILD)/pomvex-live-bench $(RUN)/Data

# Two game processes through a seeded relay on loopback at 0, 50, 100 and
# 200 ms round trip (10 ms jitter, 2 % loss), NET_BENCH_SECONDS a row.
NET_BENCH_SECONDS ?= 120
bench-net: build
	cmake --build $(BUILD) --target pomvex-net-bench pomvex-replay
	$(BUILD)/pomvex-net-bench $(CURDIR)/$(BUILD)/pomvex-replay $(NET_BENCH_SECONDS)

contact-sheet: build
	cmake --build $(BUILD) --target contact-sheet

# Every sound and tune in one WAV, their names printed in order.
sound-sheet: build
	cmake --build $(BUILD) --target sound-sheet

# libFuzzer on the file readers, FUZZ_SECONDS per target (build-fuzz/).
FUZZ_SECONDS ?= 60
fuzz: deps
	@scripts/install-deps.sh fuzz
	fuzz/run.sh $(FUZZ_SECONDS)

# An hour of two-player "Krank" (SOAK_FRAMES frames at 60 per second) with
# random keys, under ASan + UBSan; prints the peak memory at 10/50/100 %.
SOAK_FRAMES ?= 216000
SOAK_SEED   ?= 1
soak: asan-build
	$(ASAN_BUILD)/pomvex-soak $(SOAK_FRAMES) $(SOAK_SEED)

# The README's screenshots, from the real programs under Xvfb, into
# build/screenshots/ (not kept in git).
screenshots: build
	cmake --build $(BUILD) --target screenshots

# The Debian package build/pomvex_<version>_amd64.deb, made by CPack from the
# install rules; packaging/test-deb.sh installs, starts and removes it.
deb: build
	@scripts/install-deps.sh deb
	rm -f $(BUILD)/pomvex_*.deb
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
