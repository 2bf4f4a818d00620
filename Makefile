# All set-up happens here: every target installs what is missing, configures and builds.
BUILD     ?= build
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=
PORT      ?= 8437
DEMO      ?= $(CURDIR)/$(BUILD)/demo

.PHONY: all deps configure build test run bench screenshot clean test-sanitize fuzz

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/kinora-bench
	$(BUILD)/kinora-bench-ui

run: build
	@bash scripts/run-demo.sh $(BUILD) $(PORT)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD)

clean:
	rm -rf $(BUILD)
