# The two quick-start commands (make run, make test) and a few conveniences.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: setup configure build run demo test sanitize fuzz bench package clean

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

# Every fuzz target for SECONDS seconds, built with clang's libFuzzer and the sanitizers.
SECONDS ?= 60
fuzz: setup
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@bash fuzz/run.sh $(BUILD)-fuzz $(SECONDS)

bench: build
	@$(BUILD)/bench/orb_bench_component
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/orb_bench_walk
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/orb_bench_editor
	@$(BUILD)/bench/orb_bench_wizard
	@$(BUILD)/bench/orb_bench_check
	@$(BUILD)/bench/orb_bench_interop

# The Debian package of the whole toolkit, into $(BUILD)/.
package: build
	@cmake --build $(BUILD) --target package

clean:
	@rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-fuzz
