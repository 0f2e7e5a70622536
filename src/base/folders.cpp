#include "base/folders.h"

#include <cstdlib>
#include <filesystem>
#include <vector>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/program_file.h"

namespace fs = std::filesystem;

namespace tolva {
namespace {
std::string gScratch;
}

std::string ProgramFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/tolva";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/tolva";
}

bool PrepareProgramFolder(const std::string& shippedDir, std::string* message) {
    std::error_code ec;
    std::string dir = ProgramFolder();
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) {
        if (message) *message = "Cannot create the program folder \"" + dir + "\": " + ec.message();
        return false;
    }
    if (shippedDir.empty() || !fs::is_directory(shippedDir, ec)) return true;
    for (const auto& entry : fs::directory_iterator(shippedDir, ec)) {
        if (!entry.is_regular_file()) continue;
        std::string name = entry.path().filename().string();
        std::string target = FindFileNoCase(dir, name);
        if (FileExists(target)) continue;
        std::string bytes;
        if (ReadFileBytes(entry.path().string(), bytes).ok) WriteFileAtomic(dir + "/" + name, bytes);
    }
    return true;
}

std::string ShippedFolder(const std::string& binaryDir, const std::string& sourceDataDir) {
    for (const std::string& dir : {binaryDir + "/../share/tolva", binaryDir + "/data", sourceDataDir}) {
        if (dir.empty()) continue;
        std::error_code ec;
        if (!fs::is_regular_file(FindFileNoCase(dir, "tolva.ini"), ec)) continue;
        fs::path tidy = fs::weakly_canonical(dir, ec);
        return ec ? dir : tidy.string();
    }
    return {};
}

const std::string& ScratchFolder() {
    // A folder removed under a running program (a cleaner, a user) is made
    // again, so the next import works; the one in progress reports its error.
    if (!gScratch.empty() && ::mkdir(gScratch.c_str(), 0700) == 0) return gScratch;
    if (gScratch.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = (tmp && *tmp) ? tmp : "/tmp";
        std::string pattern = base + "/tolva-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data())) gScratch = buf.data();
        else {
            gScratch = ProgramFolder() + "/scratch-" + std::to_string(::getpid());
            fs::create_directories(gScratch);
            ::chmod(gScratch.c_str(), 0700);
        }
    }
    return gScratch;
}

void RemoveScratchFolder() {
    if (gScratch.empty()) return;
    std::error_code ec;
    fs::remove_all(gScratch, ec);
    gScratch.clear();
}

std::string FindFileNoCase(const std::string& folder, const std::string& name) {
    std::string exact = folder + "/" + name;
    if (FileExists(exact)) return exact;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::string n = entry.path().filename().string();
        if (::strcasecmp(n.c_str(), name.c_str()) == 0) return entry.path().string();
    }
    return exact;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace tolva
