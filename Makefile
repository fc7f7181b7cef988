# Build, run and test the toy. Every target first installs whatever Debian
# packages are missing (scripts/install_deps.sh; a no-op when all are there).
#
#   make build   configure and compile into $(BUILD_DIR)
#   make test    build, then run every test through CTest on a virtual X server
#   make run     build and start the toy (headless: a screenshot, then quit)
#   make bench   build and run the benchmarks
#   make clean   remove $(BUILD_DIR)
#
# `make test` always starts an X server of its own (Xvfb) rather than using
# DISPLAY: the end-to-end tests need a screen with no window manager (so the
# window lands exactly where it asks) and no other windows or user input to
# steal focus. `make test USE_DISPLAY=1` runs on the current DISPLAY instead.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= 2
USE_DISPLAY ?=

ifeq ($(USE_DISPLAY),)
X_WRAPPER := bash scripts/with_xvfb.sh
else
X_WRAPPER :=
endif

.PHONY: all deps build test run bench clean

all: build

deps:
	@bash scripts/install_deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	$(X_WRAPPER) ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then \
		$(BUILD_DIR)/ballcourse; \
	else \
		bash scripts/run_headless.sh $(BUILD_DIR)/ballcourse; \
	fi

# Benchmarks of code that computes on the OpenGL matrix stack need a
# rendering context, so they get an X server as the tests do.
bench: build
	@if [ ! -d $(BUILD_DIR)/bench ]; then \
		echo "No benchmarks were built (is Google Benchmark installed?)" >&2; exit 1; \
	fi
	$(X_WRAPPER) bash scripts/run_benchmarks.sh $(BUILD_DIR)/bench

clean:
	rm -rf $(BUILD_DIR)
