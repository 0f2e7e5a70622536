// The Corel pre-pass of the DXF import: Corel's DXF leaves out the Z groups
// of its points, so the drawing is first copied to a scratch file with them
// added, and the reader reads the copy.
#pragma once

#include <string>
#include <vector>

#include "base/program_file.h"

namespace tolva {

// Copies `path` to `target`, adding a group 30 with value 0 after every group
// 20 that no group 30 follows, and a 31 after every 21 likewise; the added
// code line is spelt like the 20 or 21 before it. Pairs, not lines, are
// looked at, so a value "20" adds nothing. `added`, when given, receives the
// line number in `target` of each added code line, so that a message about
// the copy can name the drawing's own line.
FileStatus AddZtoDXF(const std::string& path, const std::string& target,
                     std::vector<long long>* added = nullptr);

// The file the reader takes: the drawing itself, or with `corel` its copy
// "NewDXF.$$$" in `scratchFolder` (AddZtoDXF), which goes again with this
// object, also when the copy could not be written.
class CorelCopy {
public:
    CorelCopy(const std::string& path, const std::string& scratchFolder, bool corel);
    ~CorelCopy();
    CorelCopy(const CorelCopy&) = delete;
    CorelCopy& operator=(const CorelCopy&) = delete;

    // Not ok when the copy could not be made.
    const FileStatus& Status() const { return status_; }
    const std::string& Input() const { return input_; }
    // The added lines of the copy, or null when the drawing is read itself.
    const std::vector<long long>* Added() const { return copy_.empty() ? nullptr : &added_; }

private:
    FileStatus status_;
    std::string input_, copy_;
    std::vector<long long> added_;
};

}  // namespace tolva
