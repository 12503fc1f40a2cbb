# Wraps CMake. `make run` and `make test` set up a fresh machine on the way. The tests run on
# the Release build that `make package` and `make install` ship.
JOBS     ?= 2
SANITIZE ?= 0
PREFIX   ?= /usr/local

ifeq ($(SANITIZE),1)
BUILD ?= build-asan
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS += -DPDT_SANITIZE=ON
# Tests ask for allocations that must fail (a preview surface of 2^40 pixels): let them fail.
TEST_ENV := ASAN_OPTIONS=allocator_may_return_null=1
else
BUILD ?= build
BUILD_TYPE ?= Release
endif

# Chosen when a folder is first configured, after setup has had its chance to install Ninja.
GENERATOR = $$(command -v ninja >/dev/null 2>&1 && echo Ninja || echo 'Unix Makefiles')
APP := $(BUILD)/src/app/puzzle-data-tool

.PHONY: all setup configure build run test install package bench fuzz clean

all: build

setup:
	@scripts/setup

# Configures anew when the folder is new or was built as another type; a folder keeps the
# generator it was made with.
configure: setup
	@grep -qsx 'CMAKE_BUILD_TYPE:STRING=$(BUILD_TYPE)' $(BUILD)/CMakeCache.txt || \
	  CMAKE_GENERATOR="$(GENERATOR)" cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPDT_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "make run: no display found (DISPLAY and WAYLAND_DISPLAY are unset)."; \
	  echo "Run it from a desktop session, or try: scripts/setup tools && xvfb-run $(APP)"; \
	  exit 1; \
	fi
	$(APP) $(ARGS)

# A skipped test says why, also when the run passes.
test: build
	@cd $(BUILD) && $(TEST_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS); \
	  status=$$?; sed -n '/^skipped: /p; /: Skipped$$/{n;s/^/skipped: /p;}' Testing/Temporary/LastTest.log; \
	  exit $$status

# DESTDIR, when given, is passed on to CMake through the environment.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

bench:
	@scripts/setup bench
	$(MAKE) BUILD=build-bench BUILD_TYPE=Release CMAKE_FLAGS=-DPDT_BUILD_BENCH=ON configure
	cmake --build build-bench -j $(JOBS) --target benchmarks
	@for b in build-bench/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen "$$b" || exit 1; \
	done

fuzz:
	@scripts/setup fuzz
	CXX=clang++ CMAKE_GENERATOR="$(GENERATOR)" cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPDT_WERROR=ON -DPDT_FUZZ=ON -DPDT_BUILD_TESTS=OFF -DPDT_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzzers

clean:
	rm -rf build build-asan build-bench build-fuzz build-windows build-windows-gui

# Windows, cross-built with MinGW-w64 and tested under Wine: first the widget-free core, then
# the editor and adxtool against Qt built from Debian's source (cached outside the tree by
# scripts/build-qt-windows), their tests on a virtual display, and the installer.
.PHONY: test-windows windows-installer qt-windows
test-windows:
	@JOBS=$(JOBS) CTEST_ARGS="$(CTEST_ARGS)" scripts/test-windows build-windows
	@JOBS=$(JOBS) CTEST_ARGS="$(CTEST_ARGS)" scripts/test-windows-gui build-windows-gui

# build-windows-gui/puzzle-data-tool-<version>-setup.exe and the portable zip beside it.
windows-installer:
	@JOBS=$(JOBS) scripts/build-windows-gui build-windows-gui windows-installer

qt-windows:
	@scripts/setup-windows
	@JOBS=$(JOBS) scripts/build-qt-windows
