# Build, run and test the toy. Every target first installs whatever Debian
# packages are missing (scripts/install_deps.sh; a no-op when all are there).
#
#   make build   configure and compile into $(BUILD_DIR)
#   make test    build, then run every test through CTest on a virtual X server;
#                then the unit and fuzz tests again in an AddressSanitizer and
#                UndefinedBehaviorSanitizer build in $(BUILD_DIR)-asan
#   make coverage  run the tests in a --coverage build in $(BUILD_DIR)-coverage
#                and print the line coverage of app/, interaction/, scene/ and
#                geometry/ (installs gcovr if it is missing)
#   make run     build the program alone, quietly, and start it; with no
#                display, play a scripted course on a virtual X server and
#                save its animation and a screenshot under screenshots/
#   make install   install the program, its menu entry, icons and manual
#                page under $(PREFIX) (default /usr/local)
#   make package   build a Debian package, $(BUILD_DIR)/ballcourse_*.deb
#   make bench   build and run the benchmarks
#   make clean   remove $(BUILD_DIR) and the sanitizer and coverage builds
#
# `make test` always starts an X server of its own (Xvfb) rather than using
# DISPLAY: the end-to-end tests need a screen with no window manager (so the
# window lands exactly where it asks) and no other windows or user input to
# steal focus. `make test USE_DISPLAY=1` runs on the current DISPLAY instead.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
PREFIX     ?= /usr/local
JOBS       ?= 2
USE_DISPLAY ?=

ifeq ($(USE_DISPLAY),)
X_WRAPPER := bash scripts/with_xvfb.sh
else
X_WRAPPER :=
endif

SANITIZE_DIR := $(BUILD_DIR)-asan
COVERAGE_DIR := $(BUILD_DIR)-coverage
# Any sanitizer report fails its test. Leaks are suppressed only in the
# libraries below the toy (OpenGL driver, X, freeglut); see the file.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp

.PHONY: all deps build build-sanitized test configure-program run install package bench coverage \
	clean

all: build

deps:
	@bash scripts/install_deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The end-to-end tests drive the uninstrumented binary only: under the
# sanitizers they would add minutes and no code the fuzz test does not reach.
# -O1 with line tables only: the sanitizers' usual level, and under half the
# compile time of -O2 -g, which keeps make test within its budget.
build-sanitized: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DBALLCOURSE_SANITIZE=ON \
		-DBALLCOURSE_BENCH=OFF -DBALLCOURSE_E2E=OFF
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

test: build build-sanitized
	$(X_WRAPPER) ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(SANITIZER_ENV) $(X_WRAPPER) ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# Configures as `make build` does, so the tree serves `make test` too, but
# builds only what running, installing or packaging needs: the program and
# its manual page, not the tests and benchmarks.
configure-program: deps
	@mkdir -p $(BUILD_DIR)
	@echo "Building ballcourse in $(BUILD_DIR) (log: $(BUILD_DIR)/program-build.log)"
	@{ cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) && \
	   cmake --build $(BUILD_DIR) --target ballcourse ballcourse_manpage -j $(JOBS); \
	 } >$(BUILD_DIR)/program-build.log 2>&1 || { cat $(BUILD_DIR)/program-build.log; exit 1; }

run: configure-program
	@if [ -n "$$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then \
		$(BUILD_DIR)/ballcourse; \
	else \
		bash scripts/run_headless.sh $(BUILD_DIR)/ballcourse; \
	fi

install: configure-program
	cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

# dpkg-shlibdeps works out the package's dependencies from the program.
package: configure-program
	cd $(BUILD_DIR) && cpack -G DEB

# Benchmarks of code that computes on the OpenGL matrix stack need a
# rendering context, so they get an X server as the tests do.
bench: build
	@if [ ! -d $(BUILD_DIR)/bench ]; then \
		echo "No benchmarks were built (is Google Benchmark installed?)" >&2; exit 1; \
	fi
	$(X_WRAPPER) bash scripts/run_benchmarks.sh $(BUILD_DIR)/bench

# Counters from an earlier run are removed first, so the figure is this run's.
coverage:
	@bash scripts/install_deps.sh gcovr
	cmake -S . -B $(COVERAGE_DIR) -DCMAKE_BUILD_TYPE=Debug -DBALLCOURSE_COVERAGE=ON \
		-DBALLCOURSE_BENCH=OFF
	cmake --build $(COVERAGE_DIR) -j $(JOBS)
	find $(COVERAGE_DIR) -name '*.gcda' -delete
	$(X_WRAPPER) ctest --test-dir $(COVERAGE_DIR) --output-on-failure -j $(JOBS)
	gcovr --root $(CURDIR) --object-directory $(COVERAGE_DIR) \
		--filter '$(CURDIR)/(app|interaction|scene|geometry)/' --print-summary $(COVERAGE_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(COVERAGE_DIR)
