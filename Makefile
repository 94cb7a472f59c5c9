# The two commands a developer needs: `make run` and `make test`.
# Each installs missing system packages, configures and builds first.
# `make windows` cross-builds the Windows program, build-windows/app/tonegen.exe;
# `make windows-package` makes what Windows users download; `make soak` runs
# the long reliability runs that `make test` shortens.

PRESETS := default asan tsan
# Time stamps in what users download are the last commit's, so that anyone
# rebuilding a release gets the same bytes.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif
# Warnings are errors in CI and plain warnings elsewhere.
export TONEGEN_WERROR := $(if $(CI),ON,OFF)

.PHONY: run test test-on test-reproducible soak check deps build windows bench screenshot package windows-package clean $(addprefix build-,$(PRESETS) windows) \
	$(addprefix test-,$(PRESETS) windows)

run: build
	./build/app/tonegen

test: deps $(addprefix test-,$(PRESETS)) test-windows test-reproducible

# `make test` again on another Debian release, in a fresh chroot of its own:
# `make test-on RELEASE=trixie`; without RELEASE, the other of the two
# releases the project is proven on.
test-on:
	scripts/test-on $(RELEASE)

# The quick loop while working: the plain build's unit and GUI suites.
check: build
	ctest --preset default -L 'unit|gui'

deps:
	@scripts/install-deps

build: deps build-default

windows: deps build-windows

# Each tree builds what its build preset names: the sanitizer trees only the
# suites their test presets run, not the GUI and end-to-end ones.
$(addprefix build-,$(PRESETS) windows): build-%:
	cmake --preset $* >/dev/null
	cmake --build --preset $*

# The churn runs 1,000 start/stop cycles here, enough for its memory check;
# under ASan, which has no memory check of its own to feed, 500, each rate
# and frequency still many times over. `make soak` runs the full 5,000.
churn_cycles = $(if $(filter asan,$*),500,1000)
$(addprefix test-,$(PRESETS)): test-%: build-%
	TONEGEN_CHURN_CYCLES=$${TONEGEN_CHURN_CYCLES:-$(churn_cycles)} ctest --preset $*

# The long runs: the 5,000-cycle churn in the plain and the ASan+UBSan trees.
soak: build-default build-asan
	for preset in default asan; do \
	  TONEGEN_CHURN_CYCLES=5000 ctest --preset $$preset -R Churn --timeout 1800 || exit 1; \
	done

# The Windows program under Wine, driven by the Linux build's end-to-end cases.
test-windows: build-windows build-default
	ctest --preset windows

# What users download, built twice in two folders and compared byte for byte.
test-reproducible: deps
	tests/reproducible-test

bench: build
	bench/run-all

# Renders the dialog for the README.
screenshot: build
	./build/tests/dialog_screenshot docs/dialog.png

# Debian package from a Release tree of its own, so it never carries the
# debug info, tests or benchmarks of the development trees.
package: deps
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DTONEGEN_BUILD_TESTS=OFF -DTONEGEN_BUILD_BENCH=OFF -DTONEGEN_WERROR=$(TONEGEN_WERROR) >/dev/null
	cmake --build build-package
	cd build-package && cpack -G DEB && sha256sum tonegen_*.deb > SHA256SUMS
	@ls build-package/tonegen_*.deb build-package/SHA256SUMS

# The Windows installer and portable zip, likewise from a Release tree of
# their own.
windows-package: deps
	cmake -S . -B build-windows-package -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
	      -DCMAKE_BUILD_TYPE=Release -DTONEGEN_BUILD_TESTS=OFF -DTONEGEN_BUILD_BENCH=OFF -DTONEGEN_WERROR=$(TONEGEN_WERROR) >/dev/null
	cmake --build build-windows-package
	@ls -1 build-windows-package/package/tonegen-* build-windows-package/package/SHA256SUMS

clean:
	rm -rf build build-asan build-tsan build-windows build-package build-windows-package
