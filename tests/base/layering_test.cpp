// The source folders are floors: a file includes only its own floor and the
// floors below it, and the core (every file that is not a window, a Qt
// adapter or the entry point) includes no Qt header. The tests stand on the
// same floors: a test in tests/<floor>/ includes sources and test helpers of
// its floor and below, and the shared helpers in tests/support/ stand on the
// lowest floor, so any test may include them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

// Height of each floor. comm and tools stand side by side: neither includes
// the other.
const std::map<std::string, int> kFloor = {
    {"base", 0}, {"text", 1}, {"settings", 2}, {"plot", 3}, {"dxf", 4}, {"comm", 5}, {"tools", 5}, {"app", 6},
};

// The folder of `src/<folder>/...`, from a path relative to src/.
std::string FloorOf(const std::string& relative) { return relative.substr(0, relative.find('/')); }

// Calls `each(relativePath, includedPath, lineText)` for every quoted or
// angled include of every file under `folder` (src/ by default).
template <class F>
void ForEachInclude(F each, const char* folder = "src") {
    const fs::path src = fs::path(TOLVA_SOURCE_DIR) / folder;
    for (auto& e : fs::recursive_directory_iterator(src)) {
        if (!e.is_regular_file()) continue;
        const std::string rel = fs::relative(e.path(), src).generic_string();
        std::ifstream in(e.path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("#include ", 0) != 0) continue;
            const std::size_t open = line.find_first_of("\"<");
            const std::size_t close = line.find_first_of("\">", open + 1);
            if (open == std::string::npos || close == std::string::npos) continue;
            each(rel, line.substr(open + 1, close - open - 1), line);
        }
    }
}

bool IsQtFile(const std::string& rel) {
    const std::string name = rel.substr(rel.rfind('/') + 1);
    return name.find("_window.") != std::string::npos || name.find("_qt.") != std::string::npos ||
           rel == "app/main.cpp";
}

}  // namespace

TEST(Layering, EveryFolderIsAKnownFloor) {
    for (auto& e : fs::directory_iterator(fs::path(TOLVA_SOURCE_DIR) / "src"))
        if (e.is_directory()) {
            EXPECT_TRUE(kFloor.count(e.path().filename().string())) << e.path();
        }
}

TEST(Layering, NoFileIncludesAHigherOrSideFloor) {
    int checked = 0;
    ForEachInclude([&](const std::string& rel, const std::string& target, const std::string& line) {
        if (line.find('"') == std::string::npos) return;  // system and library headers
        ++checked;
        const std::string from = FloorOf(rel), to = FloorOf(target);
        ASSERT_TRUE(kFloor.count(to)) << rel << ": " << line;
        if (from != to) {
            EXPECT_LT(kFloor.at(to), kFloor.at(from)) << rel << " reaches up: " << line;
        }
    });
    EXPECT_GT(checked, 100);  // the walk found the sources
}

TEST(Layering, NoTestIncludesAHigherOrSideFloor) {
    int checked = 0;
    ForEachInclude(
        [&](const std::string& rel, const std::string& target, const std::string& line) {
            if (line.find('"') == std::string::npos || rel.find('/') == std::string::npos) return;
            if (rel.rfind("data/", 0) == 0 || rel.rfind("e2e/", 0) == 0) return;
            ++checked;
            // tests/support/ stands on the lowest floor.
            const std::string from = FloorOf(rel) == "support" ? "base" : FloorOf(rel);
            ASSERT_TRUE(kFloor.count(from)) << "tests/" << rel << " is in no floor's folder";
            std::string to;
            if (target.find('/') == std::string::npos) return;  // beside it, on its own floor
            if (target.rfind("../", 0) == 0) {
                to = FloorOf(target.substr(3));  // a test helper of another floor
                if (to == "support") return;  // shared helpers: any test may include them
            } else {
                to = FloorOf(target);
            }
            ASSERT_TRUE(kFloor.count(to)) << "tests/" << rel << ": " << line;
            if (from != to) {
                EXPECT_LT(kFloor.at(to), kFloor.at(from)) << "tests/" << rel << " reaches up: " << line;
            }
        },
        "tests");
    EXPECT_GT(checked, 100);  // the walk found the tests
}

TEST(Layering, NoCoreFileIncludesQt) {
    ForEachInclude([&](const std::string& rel, const std::string& target, const std::string& line) {
        if (IsQtFile(rel)) return;
        EXPECT_FALSE(target.rfind("Q", 0) == 0) << rel << " includes " << line;
    });
}
