# Quick start: `make run` builds and starts the application over samples/; `make test` runs every test.
.PHONY: run test deps release debug-asan format check-format bench clean

deps:
	@scripts/install-deps.sh

release: deps
	cmake --preset release
	cmake --build --preset release

debug-asan: deps
	cmake --preset debug-asan
	cmake --build --preset debug-asan

run: release
	cd samples && ../build/release/bin/quillon

test: debug-asan
	ctest --preset debug-asan

bench: release
	scripts/bench.sh

format:
	scripts/format.sh

check-format:
	scripts/check-format.sh

clean:
	rm -rf build
