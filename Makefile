# Entry points for people and CI; CMake presets do the real work.
#   make run     build and start the player (needs a display)
#   make test    every suite, under the default and the asan preset
#   make bench   the benchmark binary (Release)

SHELL := /bin/bash
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libsdl2-dev libsdl2-ttf-dev fonts-dejavu-core \
	libjpeg-turbo-progs libturbojpeg0-dev libstb-dev \
	imagemagick xvfb xdotool x11-utils
JOBS ?= $(shell nproc)

.PHONY: all setup build test bench run clean

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

bench: build
	./build/bin/lumiscene-bench

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
		echo "make run: no display here (neither DISPLAY nor WAYLAND_DISPLAY is set); the player needs one."; \
	else \
		./build/bin/lumiscene; \
	fi

clean:
	rm -rf build
