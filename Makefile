# The two quick-start commands (make run, make test) and a few conveniences.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: setup configure build run demo test bench clean

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/editor/Translate

demo: build
	@$(BUILD)/examples/demo/orb_demo

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/orb_bench_component
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/orb_bench_walk
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/orb_bench_editor

clean:
	@rm -rf $(BUILD)
