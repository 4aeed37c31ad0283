# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands of the README, each doing all the set-up on a fresh Debian 12 machine:
#   make run    builds quillet and runs its main job (FILES="a.mp4 b.avi" to convert your own)
#   make test   builds quillet, checks its formatting and clang-tidy findings, and passes its tests
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test unit-tests sanitize run format-check tidy tidy-full clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

unit-tests: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The engine's unit tests and damaged-input tests again, under AddressSanitizer and
# UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON \
		-DQUILLET_BUILD_GUI=OFF
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target dolmar_tests dolmar_unit_tests dolmar_pipeline_tests
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		ctest --test-dir $(SANITIZE_BUILD) -L sanitize --no-tests=error --output-on-failure -j $(JOBS)

# Formatting and clang-tidy first: they fail in seconds to minutes, the tests take longer.
test: format-check tidy unit-tests sanitize

run: build
	@scripts/run.sh $(BUILD)/bin $(FILES)

format-check: configure
	cmake --build $(BUILD) --target format-check

# clang-tidy on the changed tree of the folders cmake/ClangTidy.cmake lists; needs the build for
# what each file includes.
tidy: build
	cmake --build $(BUILD) --target tidy

# clang-tidy on every unit, ignoring what passed before (.ci/tidy-baseline names the last commit
# a full run passed: move it only after this target passes).
tidy-full: build
	cmake --build $(BUILD) --target tidy-full

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)

# The Debian package, build/quillet_<version>-<release>_<arch>.deb (CPack, from packaging/).
.PHONY: package
package: build
	cmake --build $(BUILD) --target package
