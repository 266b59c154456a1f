# Lumbrel: build, run and test on Debian with mingw-w64 and Wine.
#   make run   installs what is missing, builds, and starts Lumbrel in a Wine desktop
#   make test  installs what is missing, builds, and runs every test layer
SHELL := /bin/bash
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# The shipped program is always the 32-bit one, built in build/win. Where Wine cannot run 32-bit
# programs (scripts/win_arch.sh says x86_64) the same sources are also built for 64 bits in
# build/win64, and the tests run that build from its own program folder.
WIN_BUILD := build/win
WIN64_BUILD := build/win64
# Evaluated when a recipe runs, after setup has installed Wine.
WIN_ARCH = $(shell bash scripts/win_arch.sh)
TEST_BUILD = $(if $(filter x86_64,$(WIN_ARCH)),$(WIN64_BUILD),$(WIN_BUILD))
TEST_DIST = $(if $(filter x86_64,$(WIN_ARCH)),out/dist-x86_64/Lumbrel,dist/Lumbrel)
NATIVE_BUILD := build/native

.PHONY: all setup build build-win build-win64 build-native dist test-dist run test bench gallery clean

# configure BUILD_DIR ARCH: a build folder for one toolchain (afresh when it was made for another).
define configure
	@if [ -f $(1)/CMakeCache.txt ] && ! grep -q "mingw-$(2).cmake" $(1)/CMakeCache.txt; then \
	  echo "build: $(1) was made for another architecture; building afresh"; rm -rf $(1); fi
	@cmake -S . -B $(1) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(2).cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
endef

all: build

setup:
	@bash scripts/setup.sh

build: build-win build-native

# The 32-bit program and its Win32 tests always, so a change that breaks them fails every build.
build-win:
	$(call configure,$(WIN_BUILD),i686)
	@cmake --build $(WIN_BUILD) -j $(JOBS)
	@if [ "$(WIN_ARCH)" = x86_64 ]; then \
	  echo "build: Wine runs no 32-bit programs here; building the 64-bit programs for the tests too"; \
	  $(MAKE) --no-print-directory build-win64; fi

build-win64:
	$(call configure,$(WIN64_BUILD),x86_64)
	@cmake --build $(WIN64_BUILD) -j $(JOBS)

build-native:
	@cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE_BUILD) -j $(JOBS)

dist: build-win
	@bash scripts/dist.sh $(WIN_BUILD) dist/Lumbrel
	@bash scripts/package.sh $(WIN_BUILD) dist

# The program folder the tests run: dist/Lumbrel itself, or the 64-bit twin where only that runs.
test-dist: dist
	@if [ "$(TEST_DIST)" != dist/Lumbrel ]; then bash scripts/dist.sh $(TEST_BUILD) $(TEST_DIST) && \
	  bash scripts/package.sh $(TEST_BUILD) $(dir $(TEST_DIST)); fi

run: setup test-dist
	@bash scripts/run.sh $(TEST_DIST)

test: setup build test-dist
	@bash scripts/test.sh

# A PNG of every window a user can see, at 96, 144 and 192 dpi, into out/gallery/.
gallery: setup test-dist
	@bash scripts/gallery.sh

bench: setup build-win
	@bash scripts/bench.sh $(TEST_BUILD)

clean:
	rm -rf build dist out
