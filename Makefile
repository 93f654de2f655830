# Calvor: `make run` builds and starts the program, `make test` builds and
# runs every test (normal build, then AddressSanitizer + UBSan build),
# `make package` builds the Debian package.
BUILD      ?= build
ASAN_BUILD ?= build-asan
PACKAGE_BUILD ?= build-package
# The project's own builds treat warnings as errors; a packager's need not.
WERROR     ?= ON
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
FORMAT_FILES = $(shell git ls-files -co --exclude-standard '*.cpp' '*.h' 2>/dev/null)

.PHONY: all deps build build-asan run test test-plain test-asan format format-check bench package clean

all: build

deps:
	@sh packaging/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALVOR_WERROR=$(WERROR) $(CMAKE_ARGS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCALVOR_SANITIZE=ON -DCALVOR_BUILD_BENCH=OFF \
	  -DCALVOR_WERROR=$(WERROR) $(CMAKE_ARGS)

# A build folder configured before the warnings option existed gets it too.
build: deps $(BUILD)/CMakeCache.txt
	@grep -qx 'CALVOR_WERROR:BOOL=$(WERROR)' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DCALVOR_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	@grep -qx 'CALVOR_WERROR:BOOL=$(WERROR)' $(ASAN_BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(ASAN_BUILD) -DCALVOR_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The Debian package, built as Debian builds its packages: its default
# compiler flags (hardening included), installed under /usr, without the
# tests and benchmarks. The .deb lands in this folder.
$(PACKAGE_BUILD)/CMakeCache.txt:
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCALVOR_BUILD_TESTS=OFF -DCALVOR_BUILD_BENCH=OFF $(CMAKE_ARGS)

package: deps $(PACKAGE_BUILD)/CMakeCache.txt
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	rm -f $(PACKAGE_BUILD)/calvor_*.deb calvor_*.deb
	cd $(PACKAGE_BUILD) && cpack
	cp $(PACKAGE_BUILD)/calvor_*.deb .

run: build
	./$(BUILD)/calvor

test: format-check test-plain test-asan

test-plain: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

format:
	@clang-format -i $(FORMAT_FILES)

format-check: deps
	@clang-format --dry-run -Werror $(FORMAT_FILES)

bench: build
	for b in $(BUILD)/bench/*_bench; do $$b; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(PACKAGE_BUILD)
