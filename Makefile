# Set-up, build and test entry points. The build itself is CMake + Ninja.
BUILD_DIR      ?= build
TEST_BUILD_DIR ?= build-sanitize
PACKAGE_BUILD_DIR ?= build-release
CMAKE_FLAGS    ?=
FUZZ_BUILD_DIR ?= build-fuzz
TSAN_BUILD_DIR ?= build-tsan
# The Core library's tests, run under ThreadSanitizer by make tsan.
TSAN_TESTS     ?= engine_threads engine_component engine_codepage engine_streamtextsource \
                  engine_memoprinter settings_files platform_outputdevice
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc)

.PHONY: all bootstrap build test tsan fuzz run demo screenshots package clean format

all: build

bootstrap:
	@tools/bootstrap

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Tests run in their own build, with AddressSanitizer and UBSan.
$(TEST_BUILD_DIR)/build.ninja:
	cmake -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZANTO_SANITIZE=ON \
	    -DZANTO_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)

# The suite runs twice: as the environment is, and in German, where the
# operating system's reasons read differently (the symbol lists and the
# Debian package do not depend on the language and run once).
test: bootstrap $(TEST_BUILD_DIR)/build.ninja
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)
	cd $(TEST_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	cd $(TEST_BUILD_DIR) && LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 LANGUAGE=de \
	    ctest --output-on-failure -j $(JOBS) -LE "symbols|once"

# The Core library and its tests under ThreadSanitizer, among them four
# components printing from four threads at once. Reports from inside Qt's own
# (uninstrumented) libraries are suppressed in tests/tsan.supp, each with its
# reason.
tsan: bootstrap
	cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZANTO_TSAN=ON \
	    -DZANTO_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD_DIR) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_BUILD_DIR) && \
	    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	    ctest --output-on-failure -j $(JOBS) -R '^($(shell echo $(TSAN_TESTS) | tr ' ' '|'))$$'

# libFuzzer targets, built with clang; each runs FUZZ_SECONDS on one core.
fuzz:
	@tools/bootstrap fuzz
	cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=clang++-14 -DZANTO_FUZZ=ON -DZANTO_BUILD_TESTS=OFF \
	    -DZANTO_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz_targets
	tools/run-fuzzers $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

# The sample invoice with its markup (~ bold, ! underline, ^ | off) printed
# for an Epson printer into a file, then shown as the bytes that were sent.
run: bootstrap build
	$(BUILD_DIR)/bin/zanto print -o $(BUILD_DIR)/invoice.prn --printer-type epson \
	    --translation examples/invoice-epson.CTT examples/invoice.txt
	$(BUILD_DIR)/bin/zanto dump $(BUILD_DIR)/invoice.prn

# The Debian packages (CPack, cmake/ZantoDebianPackage.cmake) in
# $(PACKAGE_BUILD_DIR): NAME_VERSION_ARCH.deb and NAME-dbgsym_VERSION_ARCH.ddeb.
# A release build of its own below /usr with Debian's compiler and linker
# flags (hardening), without tests or benchmarks: it builds only what it
# installs.
$(PACKAGE_BUILD_DIR)/build.ninja: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
$(PACKAGE_BUILD_DIR)/build.ninja:
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(PACKAGE_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_INSTALL_PREFIX=/usr -DZANTO_BUILD_TESTS=OFF -DZANTO_BUILD_BENCHMARKS=OFF \
	    $(CMAKE_FLAGS)

package: bootstrap $(PACKAGE_BUILD_DIR)/build.ninja
	cmake --build $(PACKAGE_BUILD_DIR) -j $(JOBS) --target package

# The demonstration program, on the machine's display.
demo: bootstrap build
	$(BUILD_DIR)/bin/zantodemo

# Pictures of the dialogs and windows for the README, rendered offscreen.
screenshots: bootstrap $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zantoscreenshots
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/zantoscreenshots docs/img

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(TEST_BUILD_DIR) $(PACKAGE_BUILD_DIR) $(FUZZ_BUILD_DIR) $(TSAN_BUILD_DIR)
