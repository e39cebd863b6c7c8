# The two commands a newcomer needs: `make run` and `make test`.
# Both install missing Debian packages first (tools/install-deps.sh), then configure and build.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
SCREENSHOT ?= $(BUILD_DIR)/screenshot.png
# The core alone, configured without Qt (make test-core).
CORE_BUILD_DIR ?= build-core
# ThreadSanitizer build of the threaded suites (make test-tsan). TSAN_WHOLE programs run whole,
# all tests in one process: some races only show when a page's threads start a second time in a
# process. test_app's tests each need a process of their own, so it runs under CTest.
# TSAN_REPEAT: --gtest_repeat, and for test_app CTest's --repeat (a fresh process each time).
TSAN_BUILD_DIR ?= build-tsan
TSAN_REPEAT ?= 1
TSAN_WHOLE := test_pages test_hid test_protocol
TSAN_PER_TEST := test_app
# The tests with a bus (the control interface, the tray's notices): one process per test, one
# after the other on a dbus-daemon started for the run (a daemon started from inside the test
# process leaves ThreadSanitizer's view of its locks unreliable).
TSAN_BUS_PER_TEST := test_control
# libFuzzer build of the fuzz targets (make fuzz): clang, every library instrumented, with
# AddressSanitizer. FUZZ_SECONDS per target (or FUZZ_RUNS executions, FUZZ_SECONDS then being
# the upper bound); FUZZ_GUI=ON adds the targets that link Qt.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?=
FUZZ_GUI ?= OFF
# AddressSanitizer + UndefinedBehaviorSanitizer builds: the whole suite (make test-asan) and the
# core without Qt with q840ctl (make test-core-asan, which CI runs). Any report fails the run;
# tests/support/lsan.supp says which leaks of system libraries are suppressed and why.
ASAN_BUILD_DIR ?= build-asan
CORE_ASAN_BUILD_DIR ?= build-core-asan
ASAN_SANITIZERS := address,undefined
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1 \
           UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
           LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:print_suppressions=0 \
           QT_QPA_PLATFORM=offscreen
# The hot-plug campaign (make stress): STRESS_CYCLES cycles from STRESS_SEED.
STRESS_CYCLES ?= 1000
STRESS_SEED ?= 1

# Lets a fresh clone in another folder hit the same compiler cache.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps configure build test test-core test-core-asan test-asan test-tsan test-kernel fuzz \
        stress run clean format

all: build

deps:
	@tools/install-deps.sh

CMAKE_CONFIGURE = cmake -S . -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
                  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache

$(BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	$(CMAKE_CONFIGURE) -B $(BUILD_DIR)

configure: $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure

# Everything that links no Qt, built and tested without Qt installed in the configuration: a
# core file that starts to need Qt fails here.
$(CORE_BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	$(CMAKE_CONFIGURE) -B $(CORE_BUILD_DIR) -DQ840_GUI=OFF -DQ840_BUILD_BENCHMARKS=OFF

test-core: $(CORE_BUILD_DIR)/build.ninja
	cmake --build $(CORE_BUILD_DIR)
	cd $(CORE_BUILD_DIR) && ctest -j2 --output-on-failure

# The same under AddressSanitizer + UndefinedBehaviorSanitizer (CI runs this one).
$(CORE_ASAN_BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	$(CMAKE_CONFIGURE) -B $(CORE_ASAN_BUILD_DIR) -DQ840_GUI=OFF -DQ840_BUILD_BENCHMARKS=OFF \
	  -DQ840_SANITIZE=$(ASAN_SANITIZERS)

test-core-asan: $(CORE_ASAN_BUILD_DIR)/build.ninja
	cmake --build $(CORE_ASAN_BUILD_DIR)
	cd $(CORE_ASAN_BUILD_DIR) && $(ASAN_ENV) ctest -j2 --output-on-failure

# Every test, the program's included, under AddressSanitizer + UndefinedBehaviorSanitizer.
$(ASAN_BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	$(CMAKE_CONFIGURE) -B $(ASAN_BUILD_DIR) -DQ840_BUILD_BENCHMARKS=OFF \
	  -DQ840_SANITIZE=$(ASAN_SANITIZERS)

test-asan: $(ASAN_BUILD_DIR)/build.ninja
	cmake --build $(ASAN_BUILD_DIR)
	cd $(ASAN_BUILD_DIR) && $(ASAN_ENV) ctest -j2 --output-on-failure

# The real kernel path: a VM whose USB gadget plays the simulated mouse, so that discovery, reads,
# writes, a stalled mouse, an unplug and a denied node go through usbhid and hidraw
# (tools/test-kernel.sh, tests/kernel/checks.sh). The first run installs QEMU and fetches the
# kernel package into ~/.cache/usb-gadget-vm.
test-kernel: build
	tools/test-kernel.sh $(BUILD_DIR)

# The threaded suites under ThreadSanitizer; any report fails the run. Qt's own locking is not
# instrumented: tests/pages/tsan.supp says what is suppressed and why.
$(TSAN_BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	$(CMAKE_CONFIGURE) -B $(TSAN_BUILD_DIR) -DQ840_SANITIZE=thread -DQ840_BUILD_BENCHMARKS=OFF

test-tsan: export TSAN_OPTIONS = suppressions=$(CURDIR)/tests/pages/tsan.supp halt_on_error=1 second_deadlock_stack=1
test-tsan: export QT_QPA_PLATFORM = offscreen
test-tsan: $(TSAN_BUILD_DIR)/build.ninja
	cmake --build $(TSAN_BUILD_DIR) --target $(TSAN_WHOLE) $(TSAN_PER_TEST) $(TSAN_BUS_PER_TEST)
	@status=0; \
	for t in $(TSAN_WHOLE); do \
	  echo "== $$t under ThreadSanitizer, --gtest_repeat=$(TSAN_REPEAT)"; \
	  $(TSAN_BUILD_DIR)/tests/$$t --gtest_repeat=$(TSAN_REPEAT) --gtest_brief=1 || status=1; \
	done; \
	for t in $(TSAN_PER_TEST); do \
	  echo "== $$t under ThreadSanitizer, one process per test, --repeat until-fail:$(TSAN_REPEAT)"; \
	  (cd $(TSAN_BUILD_DIR) && ctest -j2 --output-on-failure --repeat until-fail:$(TSAN_REPEAT) \
	    -L "^$$t\$$") \
	    || status=1; \
	done; \
	for t in $(TSAN_BUS_PER_TEST); do \
	  echo "== $$t under ThreadSanitizer, one process per test on a bus of the run's own"; \
	  (cd $(TSAN_BUILD_DIR) && dbus-run-session -- sh -c 'Q840_TEST_BUS_ADDRESS=$$DBUS_SESSION_BUS_ADDRESS \
	    ctest -j1 --output-on-failure --repeat until-fail:$(TSAN_REPEAT) -L "^'$$t'$$"') \
	    || status=1; \
	done; \
	exit $$status

# Every fuzz target under libFuzzer for FUZZ_SECONDS each, from its seed corpus; prints the
# executions, coverage and failures of each (tools/run-fuzz.sh).
$(FUZZ_BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	CC=clang CXX=clang++ $(CMAKE_CONFIGURE) -B $(FUZZ_BUILD_DIR) -DQ840_LIBFUZZER=ON \
	  -DQ840_GUI=$(FUZZ_GUI) -DQ840_BUILD_BENCHMARKS=OFF

fuzz: $(FUZZ_BUILD_DIR)/build.ninja
	cmake -B $(FUZZ_BUILD_DIR) -DQ840_GUI=$(FUZZ_GUI) > /dev/null
	cmake --build $(FUZZ_BUILD_DIR) --target \
	  $$(cut -d'|' -f1 $(FUZZ_BUILD_DIR)/fuzz_targets.txt)
	tools/run-fuzz.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS) $(FUZZ_RUNS)

# The hot-plug campaign: STRESS_CYCLES plug, open, write, cut, replug and read-back cycles
# against the simulator (tools/stress/); CTest runs 100 of them.
stress: configure
	cmake --build $(BUILD_DIR) --target hotplug_stress
	$(BUILD_DIR)/tools/hotplug_stress --cycles $(STRESS_CYCLES) --seed $(STRESS_SEED)

# With a display: the program with a simulated mouse. Without one: a screenshot, and its path.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/q840vex --simulate; \
	else \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/q840vex --simulate --screenshot $(SCREENSHOT) && \
	  echo "No display: wrote $(SCREENSHOT)"; \
	fi

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(CORE_BUILD_DIR) $(TSAN_BUILD_DIR) $(FUZZ_BUILD_DIR) $(ASAN_BUILD_DIR) \
	  $(CORE_ASAN_BUILD_DIR)
