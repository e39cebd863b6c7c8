# The two commands a newcomer needs: `make run` and `make test`.
# Both install missing Debian packages first (tools/install-deps.sh), then configure and build.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
SCREENSHOT ?= $(BUILD_DIR)/screenshot.png

# Lets a fresh clone in another folder hit the same compiler cache.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps configure build test run clean format

all: build

deps:
	@tools/install-deps.sh

$(BUILD_DIR)/build.ninja:
	@$(MAKE) --no-print-directory deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache

configure: $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure

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
	rm -rf $(BUILD_DIR)
