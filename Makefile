# Two entry points: `make run` starts the program, `make test` runs every test.
# Both install the Debian packages they need first (see scripts/install-deps.sh).

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
RUN_DIR ?= $(BUILD_DIR)/run

.PHONY: all deps configure build run test bench format clean

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

bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vitrimo-bench
	@$(BUILD_DIR)/bench/vitrimo-bench

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf $(BUILD_DIR)
