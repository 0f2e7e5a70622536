#include "dxf/pass_files.h"

#include <filesystem>
#include <strings.h>

namespace fs = std::filesystem;

namespace tolva {
namespace {

FileStatus readLines(const std::string& path, std::vector<std::string>& lines) {
    std::string bytes;
    FileStatus st = ReadFileBytes(path, bytes);
    lines = st.ok ? SplitLines(bytes) : std::vector<std::string>{};
    return st;
}

// Input -> output through one in-memory pass, after the file rotation.
template <typename Pass>
FileStatus rotateAndRun(const std::string& folder, Pass pass) {
    std::vector<std::string> input;
    FileStatus st = SetupMyFile(folder, input);
    if (!st.ok) return st;
    return WritePassOutput(folder, pass(input));
}

}  // namespace

std::string PassFilePath(const std::string& folder, const char* name) { return folder + "/" + name; }

FileStatus ReadPassInput(const std::string& folder, std::vector<std::string>& lines) {
    return readLines(PassFilePath(folder, PassFile::Segment), lines);
}

FileStatus SetupMyFile(const std::string& folder, std::vector<std::string>& input) {
    input.clear();
    const std::string from = PassFilePath(folder, PassFile::NewFile);
    const std::string to = PassFilePath(folder, PassFile::Segment);
    // A rename replaces the old input in one step: there is no moment without
    // an input file, and a failure leaves it as it was.
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec)
        return FileStatus::Fail(std::string(kRenameProblem) + "\n\"" + from + "\" -> \"" + to + "\": " +
                                ec.message());
    return readLines(to, input);
}

FileStatus WritePassOutput(const std::string& folder, const std::vector<std::string>& lines) {
    return WriteScratchFile(PassFilePath(folder, PassFile::NewFile), JoinLines(lines, LineEnd::LF, true));
}

FileStatus DeleteMyFile(const std::string& folder, const std::string& name) {
    std::error_code ec;
    std::vector<fs::path> matches;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (::strcasecmp(entry.path().filename().c_str(), name.c_str()) == 0) matches.push_back(entry.path());
    FileStatus st;
    for (const fs::path& p : matches) {
        std::error_code rm;
        fs::remove(p, rm);
        if (rm && st.ok) st = FileStatus::Fail("Cannot delete file \"" + p.string() + "\": " + rm.message());
    }
    return st;
}

FileStatus DeletePassFiles(const std::string& folder) {
    FileStatus st;
    for (const char* name : {PassFile::Segment, PassFile::NewFile, PassFile::Unused, PassFile::NewDxf,
                             PassFile::Temp}) {
        FileStatus one = DeleteMyFile(folder, name);
        if (!one.ok && st.ok) st = one;
    }
    return st;
}

FileStatus SORTOUT3(const std::string& folder, const PathAssemblySettings& settings, Host* host) {
    std::vector<std::string> segment;
    FileStatus st = ReadPassInput(folder, segment);
    if (!st.ok) return st;
    return WritePassOutput(folder, ChainPieces(segment, settings, host));
}

FileStatus CrunchLines(const std::string& folder, const PathAssemblySettings& settings, Host* host) {
    return rotateAndRun(folder, [&](const std::vector<std::string>& in) {
        return DropCollinearPieces(in, settings, host);
    });
}

FileStatus RemoveDup2(const std::string& folder, const PathAssemblySettings& settings, Host* host) {
    return rotateAndRun(folder, [&](const std::vector<std::string>& in) {
        return CleanUpLines(in, settings, host);
    });
}

}  // namespace tolva
