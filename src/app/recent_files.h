// The File menu's list of recently used programs: newest first, at most
// kMaxRecentFiles, each name once. Kept in the program folder, one full path
// per line, so it survives between runs without touching the machine files.
#pragma once

#include <string>
#include <vector>

#include "base/program_file.h"

namespace tolva {

constexpr std::size_t kMaxRecentFiles = 8;
constexpr const char* kRecentFilesName = "RecentFiles.txt";

// `name` moves to the front; the oldest falls off beyond the limit.
void PushRecentFile(std::vector<std::string>& list, const std::string& name);

// Empty when the file is missing or unreadable (a lost list is no failure).
std::vector<std::string> LoadRecentFiles(const std::string& folder);
// Written atomically: a failed write leaves the old list.
FileStatus SaveRecentFiles(const std::string& folder, const std::vector<std::string>& list);

}  // namespace tolva
