# The two quick-start commands (make run, make test) and a few conveniences.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: setup configure build run demo test sanitize bench clean

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

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: setup
	@cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_SANITIZE=ON -DORB_BUILD_BENCHMARKS=OFF >/dev/null
	@cmake --build $(BUILD)-sanitize -j $(JOBS)
	@cd $(BUILD)-sanitize && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/orb_bench_component
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/orb_bench_walk
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/orb_bench_editor
	@$(BUILD)/bench/orb_bench_wizard

clean:
	@rm -rf $(BUILD) $(BUILD)-sanitize
