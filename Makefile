# Two entry points: `make run` starts the program, `make test` runs every test.
# Both install the Debian packages they need first (see scripts/install-deps.sh).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
RUN_DIR ?= $(BUILD_DIR)/run

.PHONY: all deps configure build run test test-sanitize test-noqt fuzz bench format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The program starts in $(RUN_DIR), which holds the sample lenses and the last data between runs.
# Without a display it runs on a virtual one (Xvfb), which is only good for checking that it starts.
# Only the desktop program and vitrimo-cli are built here; the tests and benchmarks are built by
# `make test` and `make bench`.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vitrimo vitrimo-cli
	@scripts/install-deps.sh run
	@scripts/prepare-run-folder.sh $(RUN_DIR)
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
		cd $(RUN_DIR) && $(abspath $(BUILD_DIR))/vitrimo; \
	else \
		echo "No display: starting Vitrimo on a virtual display (xvfb-run). Stop it with Ctrl+C."; \
		cd $(RUN_DIR) && xvfb-run -a -s "-screen 0 1280x1024x24" $(abspath $(BUILD_DIR))/vitrimo; \
	fi

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole test suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer (GCC's
# undefined-behaviour set leaves out float-cast-overflow, so it is named). Any report fails the run.
ASAN_BUILD_DIR ?= build-asan
SANITIZE_FLAGS := -fsanitize=address,undefined -fsanitize=float-cast-overflow -fno-sanitize-recover=all \
	-fno-omit-frame-pointer
# GCC's -Wmaybe-uninitialized is unreliable under the sanitizers (its manual says so; here it reports
# libstdc++'s std::regex), so that one warning is off in this build only.
# LeakSanitizer runs too; Qt and fontconfig leave no leak reports in these tests, so nothing is suppressed.
SANITIZE_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

test-sanitize: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Sanitize -DVITRIMO_BUILD_BENCH=OFF \
		-DCMAKE_CXX_FLAGS_SANITIZE="-O1 -g1 $(SANITIZE_FLAGS) -Wno-maybe-uninitialized" \
		-DCMAKE_EXE_LINKER_FLAGS_SANITIZE="$(SANITIZE_FLAGS)" \
		-DCMAKE_SHARED_LINKER_FLAGS_SANITIZE="$(SANITIZE_FLAGS)" >/dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	@$(SANITIZE_ENV) ctest --test-dir $(ASAN_BUILD_DIR) --output-on-failure -j $(JOBS)

# The calculations, vitrimo-cli and their tests built where Qt is not there at all (the layers below the
# figures must not need it).
NOQT_BUILD_DIR ?= build-noqt
test-noqt: deps
	@cmake -S . -B $(NOQT_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVITRIMO_BUILD_GUI=OFF \
		-DVITRIMO_BUILD_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON >/dev/null
	@cmake --build $(NOQT_BUILD_DIR) -j $(JOBS)
	@ctest --test-dir $(NOQT_BUILD_DIR) --output-on-failure -j $(JOBS)

# Fuzz targets (libFuzzer, clang) in their own build folder; each runs FUZZ_SECONDS on its seed corpus.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps.sh fuzz
	@FUZZ_BUILD_DIR=$(FUZZ_BUILD_DIR) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) scripts/run-fuzzers.sh $(FUZZ_TARGETS)

bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vitrimo-bench
	@$(BUILD_DIR)/bench/vitrimo-bench

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD_DIR)
