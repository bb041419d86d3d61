# Front door: `make play` builds and starts the game, `make test` builds and
# runs every test. Both configure CMake with Ninja in build/ on first use.
# `make windows` cross-builds the Windows .exe and unit tests into
# build-windows/; `make test-windows` runs them under Wine.

BUILD_DIR ?= build
WIN_DIR ?= build-windows
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: all build play test unit e2e golden bench profile fuzz format windows test-windows clean

all: build

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZINTARAPOLKE_BENCH=ON

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Only the game itself: it builds in seconds.
play: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zintarapolke
	./$(BUILD_DIR)/zintarapolke

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS) -LE e2e

e2e: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -L e2e

# Rewrites tests/golden/*.golden from the sessions' runs; review with git diff.
golden: build
	ZINTARAPOLKE_UPDATE_GOLDEN=1 ./$(BUILD_DIR)/tests/unit_tests --gtest_filter='GoldenSession.*'

bench: build
	./$(BUILD_DIR)/bench/zintarapolke_bench
	./$(BUILD_DIR)/bench/console_write_bench

# The real game in tmux at 80 x 24 and 400 x 120, traced and timed (numbers only).
profile: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zintarapolke
	bench/profile.sh $(BUILD_DIR)/zintarapolke

$(WIN_DIR)/CMakeCache.txt:
	cmake -S . -B $(WIN_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

windows: $(WIN_DIR)/CMakeCache.txt
	cmake --build $(WIN_DIR) -j $(JOBS)

# A Wine prefix of the build's own, set up once (wineboot takes a few seconds).
WINE_ENV := WINEPREFIX=$(abspath $(WIN_DIR))/wine WINEDEBUG=-all
$(WIN_DIR)/wine/.booted:
	$(WINE_ENV) wineboot -i </dev/null >/dev/null 2>&1
	$(WINE_ENV) wineserver -w
	touch $@

# ctest under Wine hangs unless the Wine server starts with its standard
# streams on /dev/null, hence the persistent server started first.
test-windows: windows $(WIN_DIR)/wine/.booted
	export $(WINE_ENV); \
	wineserver -p </dev/null >/dev/null 2>&1; \
	wine cmd /c exit </dev/null >/dev/null 2>&1; \
	ctest --test-dir $(WIN_DIR) --output-on-failure --timeout 120 -j $(JOBS) \
	  && tests/windows_smoke.sh $(WIN_DIR)/zintarapolke.exe $(WIN_DIR)/smoke-output.bin; \
	status=$$?; wineserver -k; exit $$status

# Key bytes into the decoder and the game for FUZZ_SECONDS, with sanitizers.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZINTARAPOLKE_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target key_decoder_fuzz
	mkdir -p $(FUZZ_DIR)/corpus
	./$(FUZZ_DIR)/tests/key_decoder_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=512 $(FUZZ_DIR)/corpus

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(WIN_DIR) $(FUZZ_DIR)
