# `make run` starts QUILLON, `make studio` QUILLON Studio, `make test` runs the
# whole test suite headless.
# Both first install what is missing and build (scripts/setup.sh).
.PHONY: run studio test test-sanitize fuzz gallery package
MAKEFLAGS += --no-print-directory

run:
	@bash scripts/setup.sh
	@if [ -z "$$DISPLAY" ]; then \
	    echo "make run: DISPLAY is not set, so there is no X display for QUILLON's window." >&2; \
	    echo "make run: run it on a virtual one instead:  xvfb-run -s '-screen 0 1280x1024x24' build/quillon" >&2; \
	    exit 1; \
	fi
	./build/quillon

studio:
	@bash scripts/setup.sh
	@if [ -z "$$DISPLAY" ]; then \
	    echo "make studio: DISPLAY is not set, so there is no X display for the studio's window." >&2; \
	    echo "make studio: run it on a virtual one instead:  xvfb-run -s '-screen 0 1280x1024x24' build/quillon-studio" >&2; \
	    exit 1; \
	fi
	./build/quillon-studio

# The tests run side by side, one a processor; those that cannot share the
# machine say so in their declarations (RESOURCE_LOCK, RUN_SERIAL).
test: export QT_QPA_PLATFORM := offscreen
test:
	@bash scripts/setup.sh
	ctest --test-dir build --output-on-failure -j$$(nproc)

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer;
# the benchmarks, which no test runs, are left out of that build. -O1 and line
# tables only (-g1) halve its compile time; the reports keep their files and lines.
test-sanitize: export QT_QPA_PLATFORM := offscreen
test-sanitize: export ASAN_OPTIONS := detect_leaks=1:abort_on_error=1
test-sanitize: export LSAN_OPTIONS := suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
test-sanitize: export UBSAN_OPTIONS := print_stacktrace=1:halt_on_error=1
test-sanitize:
	@BUILD_DIR=build-sanitize CMAKE_FLAGS='-DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"' \
	    bash scripts/setup.sh
	ctest --test-dir build-sanitize --output-on-failure -j$$(nproc)

# Every reader fuzzed for FUZZ_SECONDS (default 30) or FUZZ_RUNS executions
# each, built with clang in build-fuzz/; fails on any finding. Skipped, with a message, without clang.
fuzz:
	@bash scripts/setup.sh
	bash scripts/fuzz.sh

# The README's gallery: pictures by quillon-render into docs/gallery/.
gallery:
	@bash scripts/setup.sh
	bash scripts/gallery.sh build/quillon-render > build/gallery-grid.md
	@echo "gallery: docs/gallery/ written; the README's grid is in build/gallery-grid.md"

# A Debian package of the build: build/quillon_<version>_<arch>.deb.
package:
	@bash scripts/setup.sh
	cd build && cpack -G DEB
