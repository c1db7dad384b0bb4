# Thin wrapper around CMake. `make test` and `make run` work on a fresh machine.
JOBS ?= $(shell nproc)
GEN := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
CTEST := ctest --output-on-failure --timeout 600 -j $(JOBS)

.PHONY: deps test test-asan test-tsan test-plain release run bench coverage plant-faults test-ratio clean

deps:
	@bash .ci/install-deps

# Every test, under AddressSanitizer + UndefinedBehaviorSanitizer; the
# thread-heavy programs again under ThreadSanitizer; then every test again in
# the build packagers make (optimised, no sanitizer, the benchmarks on, which
# the layer check sees), so that no test holds only under a sanitizer.
test: deps
	$(MAKE) test-asan test-tsan test-plain

test-asan:
	cmake -S . -B build/asan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKROMA_SANITIZE=address -DKROMA_WERROR=ON
	cmake --build build/asan -j $(JOBS)
	cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST)

test-tsan:
	cmake -S . -B build/tsan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKROMA_SANITIZE=thread -DKROMA_WERROR=ON
	cmake --build build/tsan -j $(JOBS)
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 $(CTEST)

test-plain:
	cmake -S . -B build/rwdi $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKROMA_BENCH=ON -DKROMA_WERROR=ON
	cmake --build build/rwdi -j $(JOBS)
	cd build/rwdi && $(CTEST)

release:
	cmake -S . -B build/release $(GEN) -DCMAKE_BUILD_TYPE=Release -DKROMA_TESTS=OFF -DKROMA_BENCH=ON
	cmake --build build/release -j $(JOBS)

# Builds, installs the plug-in into ~/.vst and runs it in the bundled test host.
run: deps release
	cmake --install build/release
	@bash tools/run-demo build/release

bench: deps release
	@for b in build/release/bench/*/bench_* build/release/bench/src/*/bench_*; do [ -x "$$b" ] && "$$b"; done; true

# Line and branch coverage per library over the whole suite: an optimised-off
# build with gcov counters and no sanitizers, counters cleared before the run.
# The figures stay in build/coverage/coverage.json; keep a copy and
# `make coverage ARGS='--compare copy.json'` shows each library's change.
COVERAGE_FLAGS := -O0 --coverage
coverage: deps
	mkdir -p build/coverage/.cmake/api/v1/query && touch build/coverage/.cmake/api/v1/query/codemodel-v2
	cmake -S . -B build/coverage $(GEN) -DCMAKE_BUILD_TYPE=Coverage -DKROMA_SANITIZE= \
	  -DCMAKE_C_FLAGS_COVERAGE="$(COVERAGE_FLAGS)" -DCMAKE_CXX_FLAGS_COVERAGE="$(COVERAGE_FLAGS)"
	cmake --build build/coverage -j $(JOBS)
	find build/coverage -name '*.gcda' -delete
	cd build/coverage && $(CTEST)
	python3 tools/suite-measure/coverage.py build/coverage --jobs $(JOBS) --json build/coverage/coverage.json $(ARGS)

# Plants a fixed, seeded sample of faults in each library and reports how many
# the tests catch; `make plant-faults ARGS='--help'` tells the options.
plant-faults: deps
	python3 tools/suite-measure/plant_faults.py run $(ARGS)

# Non-blank lines of hand-written tests against those of the code.
test-ratio:
	@python3 tools/suite-measure/ratio.py

clean:
	rm -rf build
