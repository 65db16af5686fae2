# Entry points: `make desktop` and `make demo` (the inquiry on the demo company, on the
# desktop or the command line) and `make test`.
BUILD ?= build
JOBS ?= 2
WERROR ?= OFF

.PHONY: all setup build demo desktop test format clean

all: build

setup:
	@scripts/setup-debian.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBDGINTRIC_WERROR=$(WERROR) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/src/app/bdgintric demo

desktop: build
	$(BUILD)/src/app/bdgintric-gui

test: build
	scripts/run-tests.sh $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
