# The README's commands. `make run` builds and starts Varnisto; `make test` builds and runs every test;
# `make bench` builds and runs the benchmarks and prints their figures; `make test-sanitizers` builds the windows'
# and the application layer's suites under AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/) and runs
# them.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-sanitizers bench format-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The program alone: the tests and benchmarks are built by `make test` and `make bench`.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target varnisto
	$(BUILD_DIR)/src/shell/varnisto

test: build
	cd $(BUILD_DIR) && ctest -LE bench --output-on-failure -j $(JOBS)

test-sanitizers: deps
	JOBS=$(JOBS) scripts/test-sanitizers

bench: build
	cd $(BUILD_DIR) && ctest -L bench --verbose -j 1

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD_DIR)
