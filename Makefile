# Quick start: `make run` builds and starts the application over samples/; `make test` runs every test.
.PHONY: run test deps release debug-asan format check-format bench install clean

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

# The programs, the desktop entry, the dBASE file type and the icon under PREFIX; then the
# desktop's caches of file types, entries and icons are brought up to date where the tools exist.
PREFIX ?= /usr/local
install: release
	cmake --install build/release --prefix $(PREFIX)
	-update-mime-database $(PREFIX)/share/mime
	-update-desktop-database $(PREFIX)/share/applications
	-gtk-update-icon-cache -q -t $(PREFIX)/share/icons/hicolor

format:
	scripts/format.sh

check-format:
	scripts/check-format.sh

clean:
	rm -rf build
