#include "dxf/dxf_corel.h"

#include <cstdio>
#include <string_view>

#include "dxf/dxf_line_source.h"
#include "dxf/dxf_pair_scanner.h"

namespace tolva {

FileStatus AddZtoDXF(const std::string& path, const std::string& target, std::vector<long long>* added) {
    DxfLineSource src;
    if (FileStatus st = src.Open(path); !st.ok) return st;
    std::string out;
    long long written = 0;  // lines in `out`
    int missing = 0;        // 30 or 31 when the pair just copied needs one
    std::string missingLine;
    std::string_view l;
    auto write = [&](std::string_view s) {
        out.append(s).push_back('\n');
        ++written;
    };
    auto addMissing = [&] {
        if (added) added->push_back(written + 1);
        write(missingLine);
        write("0");
    };
    // Lines are copied as they are; they are looked at as pairs. Past
    // anything that is not a code the rest is copied unlooked at, and the
    // reader names the line.
    bool pairs = true;
    while (src.Next(l)) {
        int code;
        if (!pairs || !ParseGroupCode(l, code)) {
            pairs = false;
            write(l);
            continue;
        }
        if (missing && code != missing) addMissing();
        missing = 0;
        if (code == 20 || code == 21) {
            // The added code is spelt like the 20 or 21: "  20" gives "  30".
            missingLine.assign(l);
            missingLine[missingLine.rfind('2')] = '3';
        }
        write(l);
        if (!src.Next(l)) break;
        write(l);
        if (code == 20 || code == 21) missing = code + 10;
    }
    if (missing) addMissing();
    return WriteFileAtomic(target, out);
}

CorelCopy::CorelCopy(const std::string& path, const std::string& scratchFolder, bool corel) : input_(path) {
    if (!corel) return;
    copy_ = input_ = scratchFolder + "/NewDXF.$$$";
    status_ = AddZtoDXF(path, copy_, &added_);
}

CorelCopy::~CorelCopy() {
    if (!copy_.empty()) std::remove(copy_.c_str());
}

}  // namespace tolva
