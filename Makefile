# make run      installs the Debian packages, builds and starts Clicktrove.
# make test     installs the Debian packages, builds and runs every test (also under AddressSanitizer+UBSan and
#               ThreadSanitizer, and the fuzzers).
# make install  installs into PREFIX (default /usr/local), under DESTDIR when given.
# make package  builds the Debian package (.deb) for /usr and its debug symbols (-dbgsym .ddeb) in build-package/.
JOBS ?= $(shell nproc)
BUILD ?= build
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps configure build run test test-main test-asan test-tsan test-fuzz bench install package clean

all: build

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/src/clicktrove

test: test-main test-asan test-tsan test-fuzz

test-main: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Every test again under AddressSanitizer and UBSan, with leak detection (the Qt layers included).
test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLICKTROVE_SANITIZE=address,undefined \
	  -DCLICKTROVE_BUILD_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1" \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) -L 'unit|x11|dbus|gui'

# The engine, platform and analytics tests again under ThreadSanitizer (no Qt in this build), the real X11 key
# watcher, pointer and engine runs on Xvfb among them. No Objective-C
# bridge: GNUstep Base is not built for ThreadSanitizer, which reports a lock-order inversion inside it at start.
test-tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLICKTROVE_SANITIZE=thread \
	  -DCLICKTROVE_WITH_QT=OFF -DCLICKTROVE_BUILD_BENCH=OFF -DCLICKTROVE_OBJC_BRIDGE=OFF
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L 'unit|x11'

# A short bounded run of each decoder fuzzer (clang, libFuzzer, AddressSanitizer and UBSan).
test-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLICKTROVE_FUZZ=ON \
	  -DCLICKTROVE_WITH_QT=OFF -DCLICKTROVE_BUILD_TESTS=OFF -DCLICKTROVE_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS)
	ctest --test-dir build-fuzz --output-on-failure -j $(JOBS) -L fuzz

bench: build
	./$(BUILD)/bench/click_rate

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

package: deps
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCLICKTROVE_BUILD_TESTS=OFF -DCLICKTROVE_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack -G DEB

clean:
	rm -rf build build-asan build-tsan build-fuzz build-package
