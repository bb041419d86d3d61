// Golden sessions: each tests/golden/NAME.session is a short script played
// through the real GameApp on the fake console, and everything the program
// does to the console (set-up, every frame, restore) must match NAME.golden
// byte for byte. `make golden` rewrites the golden files; a changed golden
// file is a change of behaviour, to be read in the diff.
//
// A script line is one of:
//   seed N            the engine's seed
//   pass MS           every wait lasts exactly MS (a system that oversleeps)
//   EVENT             an event before the run: "size 30x12", "keys ..."
//   MS EVENT          an event at MS milliseconds: keys BYTES (\e, \xNN),
//                     size WxH, size none (the query fails), stall MS,
//                     stop (Ctrl+Z), continue (after a stop from outside),
//                     signal (one that ends the program)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fake_console.h"

namespace {

namespace fs = std::filesystem;
const fs::path kGoldenDir = ZINTARAPOLKE_GOLDEN_DIR;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> sessionNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kGoldenDir)) {
        if (entry.path().extension() == ".session") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct GoldenSession : testing::TestWithParam<std::string> {};

TEST_P(GoldenSession, MatchesItsGoldenFile) {
    const fs::path golden = kGoldenDir / (GetParam() + ".golden");
    const std::string actual = playSession(readFile(kGoldenDir / (GetParam() + ".session")));
    if (std::getenv("ZINTARAPOLKE_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << actual;
    }
    EXPECT_EQ(readFile(golden), actual) << "`make golden` rewrites " << golden.string();
}

INSTANTIATE_TEST_SUITE_P(, GoldenSession, testing::ValuesIn(sessionNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
