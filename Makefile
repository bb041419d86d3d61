# Front door: `make play` builds and starts the game, `make test` builds and
# runs every test. Both configure CMake with Ninja in build/ on first use.

BUILD_DIR ?= build
WIN_DIR ?= build-windows
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: all build play test unit e2e bench format windows test-windows clean

all: build

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZINTARAPOLKE_BENCH=ON

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

play: build
	./$(BUILD_DIR)/zintarapolke

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

unit: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS) -LE e2e

e2e: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -L e2e

bench: build
	./$(BUILD_DIR)/bench/zintarapolke_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(WIN_DIR)
