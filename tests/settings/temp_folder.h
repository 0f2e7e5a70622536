// A private folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/program_file.h"

namespace tolva::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolva-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const { WriteFileAtomic(file(name), bytes); }
    std::string read(const std::string& name) const {
        std::string bytes;
        ReadFileBytes(file(name), bytes);
        return bytes;
    }

private:
    std::string path_;
};

inline std::string Fixture(const std::string& name) {
    std::string bytes;
    ReadFileBytes(std::string(TOLVA_TEST_DATA) + "/settings/" + name, bytes);
    return bytes;
}

}  // namespace tolva::test
