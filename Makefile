# Thin wrapper around CMake. `make test` and `make run` work on a fresh machine.
JOBS ?= $(shell nproc)
GEN := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
CTEST := ctest --output-on-failure --timeout 600 -j $(JOBS)

.PHONY: deps test test-asan test-tsan release run bench clean

deps:
	@bash .ci/install-deps

# Every test, under AddressSanitizer + UndefinedBehaviorSanitizer; the
# thread-heavy programs again under ThreadSanitizer.
test: deps
	$(MAKE) test-asan test-tsan

test-asan:
	cmake -S . -B build/asan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKROMA_SANITIZE=address -DKROMA_WERROR=ON
	cmake --build build/asan -j $(JOBS)
	cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST)

test-tsan:
	cmake -S . -B build/tsan $(GEN) -DCMAKE_BUILD_TYPE=Debug -DKROMA_SANITIZE=thread -DKROMA_WERROR=ON
	cmake --build build/tsan -j $(JOBS)
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 $(CTEST)

release:
	cmake -S . -B build/release $(GEN) -DCMAKE_BUILD_TYPE=Release -DKROMA_TESTS=OFF -DKROMA_BENCH=ON
	cmake --build build/release -j $(JOBS)

# Builds, installs the plug-in into ~/.vst and runs it in the bundled test host.
run: deps release
	cmake --install build/release
	@bash tools/run-demo build/release

bench: deps release
	@for b in build/release/bench/*/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build
