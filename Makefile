# The two commands of the README, and a few more for developers.
#   make run    installs what is missing, builds, starts Tarvo against the built-in virtual keyboard
#   make test   installs what is missing, builds from scratch if needed, runs the whole test suite
#   make package  release build, then the Debian package and the home installer in build/release
.PHONY: run test build bootstrap asan tsan bench fuzz format clean package

JOBS ?= $(shell nproc)

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug -j $(JOBS)

run: build
	build/debug/bin/tarvo --virtual-keyboard

test: build
	@scripts/test-env ctest --preset debug

asan: bootstrap
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@scripts/test-env ctest --preset asan

tsan: bootstrap
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@scripts/test-env ctest --preset tsan

bench: bootstrap
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@for b in build/release/bench/bench_*; do echo "== $$b"; $$b; done

package: bootstrap
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target installables -j $(JOBS)
	@cd build/release && cpack
	@ls -l build/release/tarvo_*.deb build/release/Tarvo-*.run

fuzz: bootstrap
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
