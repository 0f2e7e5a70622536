// A private folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/program_file.h"

namespace tolva::test {

class TempFolder {
public:
    // `prefix` names the folder in the system's temporary directory.
    explicit TempFolder(const std::string& prefix = "tolva-settings") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes the file and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const {
        WriteFileAtomic(file(name), bytes);
        return file(name);
    }
    std::string read(const std::string& name) const {
        std::string bytes;
        ReadFileBytes(file(name), bytes);
        return bytes;
    }
    // Names of the files in the folder.
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename());
        return out;
    }

private:
    std::string path_;
};

// A machine file's bytes with every axis sign and swap box off: the shipped
// settings hide faults that these show.
inline std::string WithoutSignsAndSwaps(std::string bytes) {
    for (const std::string key : {"SwapXY=", "SwapYZ=", "X*-1=", "Y*-1=", "Z*-1="})
        for (std::size_t at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1))
            bytes[at + key.size()] = '0';
    return bytes;
}

inline std::string Fixture(const std::string& name) {
    std::string bytes;
    ReadFileBytes(std::string(TOLVA_TEST_DATA) + "/settings/" + name, bytes);
    return bytes;
}

}  // namespace tolva::test
