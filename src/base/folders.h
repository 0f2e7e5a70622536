// Where Tolva keeps its files.
//
// The program folder holds the machine files, the recall file and the help
// page: $XDG_CONFIG_HOME/tolva, or ~/.config/tolva. The scratch folder holds
// the pass files of one run: a private folder (mode 0700) under the system's
// temporary directory, removed when the run ends, so two Tolva processes
// never share scratch files.
#pragma once

#include <string>

namespace tolva {

std::string ProgramFolder();

// Creates the program folder and copies into it every file of `shippedDir`
// that it does not hold yet (a user's file is never overwritten). Returns
// false with a message when the folder cannot be made.
bool PrepareProgramFolder(const std::string& shippedDir, std::string* message = nullptr);

// The folder of the shipped machine files, help page and examples: the
// installed share/tolva beside the binary's bin/ folder, else a data/ folder
// beside the binary, else `sourceDataDir` (a run from the build tree). A
// candidate counts only when it holds the default machine file. Empty when
// none does.
std::string ShippedFolder(const std::string& binaryDir, const std::string& sourceDataDir);

// The scratch folder of this run, created on first use and made again if it
// has been removed since.
const std::string& ScratchFolder();
// Removes the scratch folder and everything in it.
void RemoveScratchFolder();

// `folder` + "/" + `name`, where `name` is matched against the folder's
// entries without regard to case (an exact match first). When nothing
// matches, the path with the name as given.
std::string FindFileNoCase(const std::string& folder, const std::string& name);

bool FileExists(const std::string& path);

}  // namespace tolva
