#include "app/recent_files.h"

#include <algorithm>

namespace tolva {

void PushRecentFile(std::vector<std::string>& list, const std::string& name) {
    if (name.empty()) return;
    list.erase(std::remove(list.begin(), list.end(), name), list.end());
    list.insert(list.begin(), name);
    if (list.size() > kMaxRecentFiles) list.resize(kMaxRecentFiles);
}

std::vector<std::string> LoadRecentFiles(const std::string& folder) {
    std::string bytes;
    std::vector<std::string> list;
    if (!ReadFileBytes(folder + "/" + kRecentFilesName, bytes).ok) return list;
    for (const std::string& line : SplitLines(bytes))
        if (!line.empty() && list.size() < kMaxRecentFiles &&
            std::find(list.begin(), list.end(), line) == list.end())
            list.push_back(line);
    return list;
}

FileStatus SaveRecentFiles(const std::string& folder, const std::vector<std::string>& list) {
    std::string bytes;
    for (const std::string& name : list) bytes += name + "\n";
    return WriteFileAtomic(folder + "/" + kRecentFilesName, bytes);
}

}  // namespace tolva
