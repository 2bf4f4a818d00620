# All set-up happens here: every target installs what is missing, configures and builds.
BUILD     ?= build
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=
PORT      ?= 8437
DEMO      ?= $(CURDIR)/$(BUILD)/demo
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD     ?= build-fuzz
CORE_BUILD     ?= build-core
FUZZ_SECONDS   ?= 60

# Any report of AddressSanitizer, UndefinedBehaviorSanitizer or LeakSanitizer fails the test
# that caused it; leaks inside system libraries are listed in tests/sanitizers/lsan.supp.
# LeakSanitizer's own tracer now and then crashes at a program's end, after every check of
# the program passed ("Tracer caught signal 11", seen with the threaded reload's test): a
# test that fails is run once more, so that fault of the checker fails no run, while
# a report that comes back fails it.
SANITIZER_ENV = \
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:print_stacktrace=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0

# The C++ sources clang-format keeps in shape.
FORMAT_FILES = $(shell find src tools bench fuzz tests -name '*.cpp' -o -name '*.h' | sort)

.PHONY: all deps configure build test run bench screenshot clean test-sanitize fuzz \
        format format-check tidy core package test-package

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

# The generated libraries (up to 2.6 GB) are kept in KINORA_BENCH_LIBRARIES, by default
# ~/.cache/kinora-bench, and reused by every run.
bench: build
	$(BUILD)/kinora-bench
	$(BUILD)/kinora-bench-ui
	$(BUILD)/kinora-bench-startup
	$(BUILD)/kinora-bench-reload
	$(BUILD)/kinora-bench-web

# The Debian package $(BUILD)/kinora_<version>_amd64.deb (cmake/Package.cmake), from the
# programs alone; lintian must find no error in it.
package: configure
	cmake --build $(BUILD) -j $(JOBS) --target kinora kinora-cli
	rm -f $(BUILD)/kinora_*.deb
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error $(BUILD)/kinora_*.deb

# Installs, uses and purges the package as a person would; needs root (CI runs as root).
test-package: package
	bash scripts/test-package.sh $(BUILD)

run: build
	@bash scripts/run-demo.sh $(BUILD) $(PORT)

screenshot: build
	@bash scripts/screenshot.sh $(BUILD)

# The layers without windows (store, net, catalogue, kinora-cli) built and tested with Qt
# Widgets left out; the net tests link net alone, so their link proves that net needs no Qt
# Gui, and none of them may load it.
NET_TESTS = $(patsubst tests/net/%.cpp,$(CORE_BUILD)/tests/%,$(wildcard tests/net/tst_*.cpp))
core: deps
	cmake -S . -B $(CORE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINORA_BUILD_GUI=OFF $(CMAKE_ARGS)
	cmake --build $(CORE_BUILD) -j $(JOBS)
	cd $(CORE_BUILD) && ctest --output-on-failure -j $(JOBS)
	@for t in $(NET_TESTS); do \
	  if ldd $$t | grep -q libQt6Gui; then echo "core: $$t loads Qt Gui" >&2; exit 1; fi; \
	done; echo "core: net and its tests link no Qt Gui"

# The whole suite built with -fsanitize=address,undefined (the `sanitize` preset).
test-sanitize: deps
	cmake --preset sanitize
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) --repeat until-pass:2

# Every libFuzzer target in fuzz/, built with clang, run for FUZZ_SECONDS each on a copy of
# its seed corpus (the corpus in the repository only changes by hand).
fuzz: deps
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The layout of .clang-format: format-check lists every file that differs and fails,
# format rewrites them.
format-check: deps
	@clang-format --dry-run -Werror $(FORMAT_FILES)
	@echo "format-check: $(words $(FORMAT_FILES)) files as .clang-format wants them"

format: deps
	clang-format -i $(FORMAT_FILES)

# clang-tidy with .clang-tidy over the sources in src/, using the build's
# compile_commands.json (the generated ui_*.h must exist, hence the build). .clang-tidy makes
# every finding an error.
tidy: build
	run-clang-tidy -p $(BUILD) -j $(JOBS) -quiet '^$(CURDIR)/src/.*\.cpp$$'

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(CORE_BUILD)
