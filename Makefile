# Set-up, build and test entry points. The build itself is CMake + Ninja.
BUILD_DIR      ?= build
TEST_BUILD_DIR ?= build-sanitize
PACKAGE_BUILD_DIR ?= build-release
CMAKE_FLAGS    ?=
FUZZ_BUILD_DIR ?= build-fuzz
TSAN_BUILD_DIR ?= build-tsan
# What make tsan leaves out, by label: the installation and Debian package
# tests build and install the project again (their consumer is not built with
# ThreadSanitizer); the symbol lists are no run-time check; and the Qt Test
# programs (gui, controls) run Qt's own threads (its test watchdog, its thread
# pool), which lock inside Qt's libraries, not built with ThreadSanitizer: it
# cannot see that locking and reports races between Qt's threads.
TSAN_SKIP      ?= package|symbols|gui|controls
# make soak: how often each test labelled io must pass in a row, two at a time.
SOAK_RUNS      ?= 20
SOAK_JOBS      ?= 2
FUZZ_SECONDS   ?= 60
JOBS           ?= $(shell nproc)

.PHONY: all bootstrap build test soak tsan fuzz run demo screenshots package docs clean format

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

# The tests that talk to loopback printers, pseudo-terminals and the private
# print server (label io), each run SOAK_RUNS times in a row, two at a time:
# one failure in those runs is a test that depends on timing it does not
# control. It takes longer than make test, so it is a target of its own (CI
# runs it after make test).
soak: bootstrap $(TEST_BUILD_DIR)/build.ninja
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)
	cd $(TEST_BUILD_DIR) && \
	    ctest --output-on-failure -j $(SOAK_JOBS) -L io --repeat until-fail:$(SOAK_RUNS)

# Everything under ThreadSanitizer: the libraries, zanto, the preview and every
# test but those labelled TSAN_SKIP, so new tests take part by themselves
# (tests/support/tsanvfork.cpp keeps QProcess's children from upsetting it). The
# command-line tests run the zanto of this build, itself built with
# ThreadSanitizer, so zanto's own runs (several at once, signals during a
# print) are checked too; a report ends the program with status 66 and fails
# its test. Reports are suppressed only by tests/tsan.supp, which
# holds none.
tsan: bootstrap
	cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZANTO_TSAN=ON \
	    -DZANTO_BUILD_BENCHMARKS=OFF $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD_DIR) -j $(JOBS)
	cd $(TSAN_BUILD_DIR) && \
	    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66 suppressions=$(CURDIR)/tests/tsan.supp" \
	    ctest --output-on-failure -j $(JOBS) -LE '$(TSAN_SKIP)'

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

# The reference manual of the libraries' public API, made by Doxygen from
# their headers: $(BUILD_DIR)/docs/html/index.html. Anything public left
# undocumented fails it (the suite's test docs_reference checks the same).
docs: bootstrap $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) --target docs

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
