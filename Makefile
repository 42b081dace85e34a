# Entry points for people and CI; CMake presets do the real work.
#   make run     build and start the player (needs a display)
#   make test    every suite, under the default and the asan preset
#   make bench   the benchmark binary (Release, 5 repetitions, BENCH_ARGS passed on) and
#                its ratio table (bench/ratios.py), then the player and the saver on Xvfb
#                (bench/player_desktop.sh, bench/saver_desktop.sh)
#   make windows lumiscene.exe, cross-built with MinGW-w64 (build/windows/bin)
#   make fuzz    each libFuzzer target for FUZZ_SECONDS (default 600), then the soak
#                (SOAK_MINUTES virtual minutes, default 120, under the asan preset)
#   make package the Debian package and the Windows zip (build/packages)

SHELL := /bin/bash
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libsdl2-dev libsdl2-ttf-dev fonts-dejavu-core \
	libjpeg-turbo-progs libturbojpeg0-dev libstb-dev \
	imagemagick xvfb xdotool x11-utils \
	openbox mingw-w64 wine wine64 \
	lintian icoutils unzip dpkg-dev man-db \
	python3-xlib xscreensaver
JOBS ?= $(shell nproc)

.PHONY: all setup build test bench run windows fuzz package clean

all: build

# Installs whatever Debian package is missing, when we may (root); otherwise
# lists what is missing and goes on, so a developer machine is never changed behind
# its owner's back.
setup:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		if [ "$$(id -u)" = 0 ]; then \
			echo "Installing: $$missing"; \
			apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
		else \
			echo "Missing Debian packages (install them as root): $$missing"; \
		fi; \
	fi

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

test: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan
	$(MAKE) --no-print-directory windows
	ctest --preset windows
	$(MAKE) --no-print-directory package
	bash tests/packaging/package_test.sh build/packages

# The Windows build scrambles its pictures with the host's lumiscene-scramble,
# taken from the default preset (a plain `cmake --preset windows` builds its own).
HOST_SCRAMBLE := $(CURDIR)/build/default/bin/lumiscene-scramble
windows: setup
	cmake --preset default >/dev/null
	cmake --build --preset default --target lumiscene-scramble -j $(JOBS)
	cmake --preset windows -DLUMISCENE_HOST_SCRAMBLE=$(HOST_SCRAMBLE)
	cmake --build --preset windows -j $(JOBS)

# Our targets are ratios of medians of the same run; the JSON keeps the run for later.
BENCH_ARGS ?=
BENCH_JSON := build/bench/lumiscene-bench.json
bench: build
	mkdir -p $(dir $(BENCH_JSON))
	./build/bin/lumiscene-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
		--benchmark_out=$(BENCH_JSON) --benchmark_out_format=json $(BENCH_ARGS)
	python3 bench/ratios.py $(BENCH_JSON)
	bench/player_desktop.sh build/bin
	bench/saver_desktop.sh build/bin

# CPack makes both packages from the default and the Windows build.
package: build windows
	cpack --config build/default/CPackConfig.cmake -B build/packages
	cpack --config build/windows/CPackConfig.cmake -B build/packages

FUZZ_SECONDS ?= 600
fuzz: setup
	fuzz/run.sh $(FUZZ_SECONDS)

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
		echo "make run: no display here (neither DISPLAY nor WAYLAND_DISPLAY is set); the player needs one."; \
	else \
		./build/bin/lumiscene; \
	fi

clean:
	rm -rf build
