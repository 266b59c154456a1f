# Lumbrel: build, run and test on Debian with mingw-w64 and Wine.
#   make run   installs what is missing, builds, and starts Lumbrel in a Wine desktop
#   make test  installs what is missing, builds, and runs every test layer
SHELL := /bin/bash
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
WIN_BUILD := build/win
# Evaluated when a recipe runs, after setup has installed Wine.
WIN_ARCH = $(shell bash scripts/win_arch.sh)
NATIVE_BUILD := build/native

.PHONY: all setup build build-win build-native dist run test bench clean

all: build

setup:
	@bash scripts/setup.sh

build: build-win build-native

build-win:
	@arch=$(WIN_ARCH); if [ -f $(WIN_BUILD)/CMakeCache.txt ] && ! grep -q "mingw-$$arch.cmake" $(WIN_BUILD)/CMakeCache.txt; then \
	  echo "build: the Windows architecture is now $$arch; building afresh"; rm -rf $(WIN_BUILD); fi; \
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$$arch.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS)

build-native:
	@cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE_BUILD) -j $(JOBS)

dist: build-win
	@bash scripts/dist.sh $(WIN_BUILD) dist/Lumbrel
	@bash scripts/package.sh $(WIN_BUILD) dist

run: setup dist
	@bash scripts/run.sh dist/Lumbrel

test: setup build dist
	@bash scripts/test.sh

bench: setup build-win
	@bash scripts/bench.sh $(WIN_BUILD)

clean:
	rm -rf build dist out
