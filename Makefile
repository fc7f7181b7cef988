# SPDX-License-Identifier: MIT
# Build, run and test the toy. Every target first installs whatever Debian
# packages are missing (scripts/install_deps.sh; a no-op when all are there).
#
#   make build   configure and compile into $(BUILD_DIR)
#   make test    check that every tracked C++ file is laid out as .clang-format
#                says, and every JavaScript file as Prettier does
#                (make format-check), and lint the JavaScript (make lint-js);
#                build, then run every test through
#                CTest on a virtual X server;
#                then the unit and fuzz tests again in an AddressSanitizer and
#                UndefinedBehaviorSanitizer build in $(BUILD_DIR)-asan; and
#                the whole tree compiled by clang++ with warnings as errors
#                in $(BUILD_DIR)-clang (compiled, not run)
#   make coverage  run the tests in a --coverage build in $(BUILD_DIR)-coverage
#                and print the line coverage of app/, interaction/, scene/ and
#                geometry/ (installs gcovr if it is missing)
#   make run     build the program alone, quietly, and start it; with no
#                display, play a scripted course on a virtual X server and
#                save its animation and a screenshot under screenshots/
#   make install   install the program, its menu entry, icons and manual
#                page under $(PREFIX) (default /usr/local)
#   make package   build the Debian package with debhelper (debian/) and check
#                it with lintian: $(BUILD_DIR)/ballcourse_VERSION_ARCH.deb
#   make lint    clang-tidy and cppcheck over the four source folders and
#                web/ (by hand; not part of make test)
#   make lint-js ESLint over every tracked JavaScript file (eslint.config.mjs);
#                Prettier and ESLint come from npm as package-lock.json pins
#                them, into node_modules/
#   make bench   build and run the benchmarks: the desktop's, then the
#                page in Chromium beside them
#   make web     build the toy for a browser: the static folder $(WEB_SITE_DIR)
#                (index.html, ballcourse.js, ballcourse.wasm, the icon, the app's
#                manifest, icons and service worker), from
#                an Emscripten build in $(WEB_BUILD_DIR)
#   make clean   remove $(BUILD_DIR) and the sanitizer, coverage, clang and
#                lint builds
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

WEB_BUILD_DIR ?= build-wasm
WEB_SITE_DIR  ?= build-web
# Emscripten's optimiser loads acorn, which Debian ships for its own node;
# NODE_PATH lets any node find it.
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs

SANITIZE_DIR := $(BUILD_DIR)-asan
COVERAGE_DIR := $(BUILD_DIR)-coverage
CLANG_DIR := $(BUILD_DIR)-clang
LINT_DIR := $(BUILD_DIR)-lint
# Any sanitizer report fails its test. Leaks are suppressed only in the
# libraries below the toy (OpenGL driver, X, freeglut); see the file.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp

.PHONY: all deps web build build-sanitized test configure-program run install package bench coverage \
	build-clang format-check lint lint-js js-tools clean

all: build

deps:
	@bash scripts/install_deps.sh

# The browser build needs only Emscripten; the tests that drive the page
# also need Chromium (scripts/install_deps.sh, with `make test`).
web:
	@bash scripts/install_deps.sh emscripten
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release \
		-DBALLCOURSE_SITE_DIR=$(CURDIR)/$(WEB_SITE_DIR)
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_BUILD_DIR) -j $(JOBS)
	@echo "The page is in $(WEB_SITE_DIR)/: python3 -m http.server -d $(WEB_SITE_DIR), then open http://localhost:8000"

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(BROWSER_TEST_FLAGS)
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

# The whole tree compiled by the second compiler, warnings as errors; nothing
# of it is run. clang's warnings come from its front end, the same at every
# optimisation level, so -O0 without debug information, the quickest build.
build-clang: deps
	@bash scripts/install_deps.sh clang
	cmake -S . -B $(CLANG_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS_DEBUG=-O0 -DCMAKE_CXX_FLAGS=-Werror
	cmake --build $(CLANG_DIR) -j $(JOBS)

js-tools:
	@bash scripts/install_js_tools.sh

# Every tracked C++ source and header as .clang-format lays it out, and every
# tracked JavaScript file as Prettier does (.prettierrc.json); any difference
# is printed and fails. First in make test, as it takes seconds.
format-check: js-tools
	@bash scripts/install_deps.sh clang-format
	@git rev-parse --is-inside-work-tree >/dev/null 2>&1 || \
		{ echo "format-check: not a git work tree" >&2; exit 1; }
	git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run -Werror
	git ls-files -z -- '*.js' '*.mjs' | xargs -0 -r npx --no-install prettier --check

# Any finding fails it.
lint-js: js-tools
	@git rev-parse --is-inside-work-tree >/dev/null 2>&1 || \
		{ echo "lint-js: not a git work tree" >&2; exit 1; }
	git ls-files -z -- '*.js' '*.mjs' | xargs -0 -r npx --no-install eslint --max-warnings 0

# appstream: the installed-tree test validates the software-centre entry.
# The browser build comes first: the tests drive its page in Chromium and
# compare its arithmetic with the desktop's, so the test tree is told where
# it is.
test: BROWSER_TEST_FLAGS = -DBALLCOURSE_WEB_SITE=$(CURDIR)/$(WEB_SITE_DIR) \
	-DBALLCOURSE_WEB_BUILD_DIR=$(CURDIR)/$(WEB_BUILD_DIR)
test: format-check lint-js web build build-sanitized build-clang
	@bash scripts/install_deps.sh appstream chromium npm
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

# Builds in a copy of the source under $(BUILD_DIR)/deb; see the script.
package: deps
	@bash scripts/install_deps.sh build-essential debhelper lintian
	bash scripts/build_deb.sh $(BUILD_DIR)

# Static analysis, run by hand and not in CI; any finding fails it.
lint: deps
	@bash scripts/install_deps.sh clang-tidy cppcheck emscripten
	bash scripts/lint.sh $(LINT_DIR) $(JOBS)

# Benchmarks of code that computes on the OpenGL matrix stack need a
# rendering context, so they get an X server as the tests do. Then the
# browser build's page in Chromium, printed beside the desktop's figures,
# which are kept for that in $(BUILD_DIR)/bench/desktop.txt
# (bench/web/run_browser_benchmarks.sh).
bench: build web
	@bash scripts/install_deps.sh chromium npm
	@if [ ! -d $(BUILD_DIR)/bench ]; then \
		echo "No benchmarks were built (is Google Benchmark installed?)" >&2; exit 1; \
	fi
	bash -o pipefail -c '$(X_WRAPPER) bash scripts/run_benchmarks.sh $(BUILD_DIR)/bench | \
		tee $(BUILD_DIR)/bench/desktop.txt'
	bash bench/web/run_browser_benchmarks.sh $(WEB_SITE_DIR) $(BUILD_DIR)

# Counters from an earlier run are removed first, so the figure is this run's.
coverage:
	@bash scripts/install_deps.sh gcovr appstream
	cmake -S . -B $(COVERAGE_DIR) -DCMAKE_BUILD_TYPE=Debug -DBALLCOURSE_COVERAGE=ON \
		-DBALLCOURSE_BENCH=OFF
	cmake --build $(COVERAGE_DIR) -j $(JOBS)
	find $(COVERAGE_DIR) -name '*.gcda' -delete
	$(X_WRAPPER) ctest --test-dir $(COVERAGE_DIR) --output-on-failure -j $(JOBS)
	gcovr --root $(CURDIR) --object-directory $(COVERAGE_DIR) \
		--filter '$(CURDIR)/(app|interaction|scene|geometry)/' --print-summary $(COVERAGE_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(COVERAGE_DIR) $(CLANG_DIR) $(LINT_DIR) $(LINT_DIR)-web
