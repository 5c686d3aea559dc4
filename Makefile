# Two commands on a fresh Debian machine: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := cmake g++ make qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev \
            libgmock-dev libbenchmark-dev \
            appstream desktop-file-utils shared-mime-info xdg-utils \
            libfile-mimeinfo-perl groff-base dpkg-dev
CMAKE_FLAGS ?=
# What a teacher runs, what the tests run and what the package holds are
# built with Debian's hardening flags (dpkg-buildflags, from dpkg-dev); the
# sanitizer, fuzzing and WebAssembly builds are not.
HARDENING := -DVINTROP_HARDENING=ON
# Warnings fail the build for `make test` (and so in CI); the tree builds
# without any. Other targets leave the build's setting as it is, so that
# `make build` after `make test` does not compile everything again.
WERROR ?=
test: WERROR = ON
# `make test` also builds the web page and the WebAssembly runner (`make
# web`) and tests them against this build: node runs the runner, a headless
# Chromium the page.
WEB_TESTS ?=
test: WEB_TESTS = $(CURDIR)/$(WEB_BUILD)
test: PACKAGES += emscripten nodejs chromium
# `make fuzz`: how long libFuzzer runs, and where it builds and keeps the
# inputs it finds (tests/fuzz/corpus is only read).
FUZZ_SECONDS ?= 300
FUZZ_BUILD ?= build-fuzz
FUZZ_FLAGS ?=
# `make sanitize`: the whole suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a folder of its own, leaks checked at exit;
# the benchmarks are compiled there too (not run), so they cannot rot.
SANITIZE_BUILD ?= $(BUILD)-sanitize
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# `make run`: the program alone, a Release build in a folder of its own and
# without the tests, so that what a teacher runs has its assertions off
# (NDEBUG); the tests' build, $(BUILD), keeps them live.
RUN_BUILD ?= $(BUILD)-run
# `make package`: a Release build for the prefix /usr, kept apart from the
# test build, and the tools CPack's Debian generator runs (dpkg-shlibdeps
# computes the package's dependencies from the binaries), and lintian, which
# checks the package against Debian's policy: an error fails the target. The
# runner's golden files and the hardening check run on its binaries first.
PACKAGE_BUILD ?= $(BUILD)-package
package: PACKAGES += dpkg-dev file lintian
# `make bench` keeps its figures as CSV under bench/results/; jq turns the
# benchmarks' JSON into those rows.
bench: PACKAGES += jq
# `make web`: the engine and the runner built to WebAssembly with Debian's
# emscripten in $(WEB_BUILD) (runner/vintrop-run.js and .wasm, run by node);
# `bash web/check-runner.sh` compares it with a native build. Only cmake and
# emscripten are needed there, not Qt. Debian ships emscripten's libraries
# prebuilt in a frozen cache (/usr/share/emscripten/cache), so nothing is
# built on the first run and EM_CACHE must stay unset: a cache folder of one's
# own would be empty and could not be filled. Debian's node finds the modules
# emscripten runs (acorn) in /usr/share/nodejs; a node installed from
# elsewhere does not look there, so the build points it there.
WEB_BUILD ?= build-web
web: PACKAGES = cmake make emscripten nodejs
WEB_ENV := NODE_PATH=/usr/share/nodejs$(if $(NODE_PATH),:$(NODE_PATH))

.PHONY: run test sanitize bench fuzz fuzz-deps deps configure build install package web clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) $(if $(WERROR),-DVINTROP_WERROR=$(WERROR)) $(if $(WEB_TESTS),-DVINTROP_WEB_BUILD=$(WEB_TESTS)) \
	  $(HARDENING) $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: deps
	cmake -S . -B $(RUN_BUILD) -DCMAKE_BUILD_TYPE=Release -DVINTROP_TESTS=OFF $(HARDENING) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(RUN_BUILD) --target vintrop -j $(JOBS)
	./$(RUN_BUILD)/app/vintrop $(ARGS)

test: build web
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DVINTROP_SANITIZE=ON -DVINTROP_BENCHMARKS=ON -DVINTROP_WERROR=ON -DVINTROP_WEB_BUILD= \
	  $(CMAKE_FLAGS) >/dev/null
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DVINTROP_BENCHMARKS=ON -DVINTROP_TESTS=OFF >/dev/null
	cmake --build $(BUILD)-bench -j $(JOBS)
	bash bench/record.sh $(BUILD)-bench

fuzz-deps:
	@missing=$$(command -v clang++ >/dev/null 2>&1 || echo clang; \
	  for p in cmake; do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

# Fuzzes the scenario reader for FUZZ_SECONDS. New inputs go to
# $(FUZZ_BUILD)/corpus; crashes to $(FUZZ_BUILD)/crash-*. To keep the few that
# matter, minimise them (-minimize_crash=1 or -merge=1 into an empty folder)
# and copy them into tests/fuzz/corpus, which `make test` replays.
fuzz: fuzz-deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DVINTROP_FUZZ=ON -DVINTROP_GUI=OFF \
	  -DVINTROP_TESTS=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) --target fuzz_scenario -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus
	./$(FUZZ_BUILD)/tests/fuzz/fuzz_scenario -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -timeout=10 \
	  -print_final_stats=1 -dict=tests/fuzz/scenario.dict -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_FLAGS) \
	  $(FUZZ_BUILD)/corpus tests/fuzz/corpus

install: build
	cmake --install $(BUILD)

# The Debian package vintrop_<version>_<arch>.deb, in $(PACKAGE_BUILD).
package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DVINTROP_TESTS=OFF \
	  $(HARDENING) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	bash tests/runner/golden.sh $(PACKAGE_BUILD)/runner/vintrop-run examples
	bash tests/install/hardening.sh $(PACKAGE_BUILD)/app/vintrop $(PACKAGE_BUILD)/runner/vintrop-run
	cd $(PACKAGE_BUILD) && rm -f vintrop_*.deb && cpack -G DEB && lintian --fail-on error vintrop_*.deb

web: deps
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DVINTROP_GUI=OFF -DVINTROP_TESTS=OFF \
	  $(if $(WERROR),-DVINTROP_WERROR=$(WERROR)) \
	  -DVINTROP_BENCHMARKS=OFF >/dev/null
	$(WEB_ENV) cmake --build $(WEB_BUILD) --target vintrop-run vintrop-page -j $(JOBS)

clean:
	rm -rf $(BUILD) $(RUN_BUILD) $(BUILD)-bench $(SANITIZE_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD) $(WEB_BUILD)
