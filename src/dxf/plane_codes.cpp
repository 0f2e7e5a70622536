#include "dxf/plane_codes.h"

#include <algorithm>

#include "base/folders.h"
#include "text/gcode_words.h"
#include "text/label_code.h"

namespace tolva {
namespace {

class Pass {
public:
    Pass(const DxfImportSettings& s, PlaneCodesResult& r) : s_(s), r_(r) {}

    void entry(int row) {
        if (!r_.status.ok) return;
        const std::string& text = s_.codes.Code(row);
        if (text.empty()) {
            r_.lines.emplace_back(" ");
        } else if (FileExists(text)) {
            r_.status = insertfile(text, r_.lines);
        } else {
            r_.lines.push_back(text);
        }
    }

    // The plane codes of an arc line, by the centre words it carries.
    void planeCodes(const std::string& q) {
        if (!s_.includeZ) return;
        const Letters& l = s_.codes.letters;
        const bool i = HasCode(q, l.I), j = HasCode(q, l.J), k = HasCode(q, l.K);
        auto put = [&](int row) {
            if (!s_.codes.Code(row).empty()) r_.lines.push_back(s_.codes.Code(row));
        };
        if (i && j) put(LabelRow::XYPlane);
        if (i && k) put(LabelRow::XZPlane);
        if (j && k) put(LabelRow::YZPlane);
    }

private:
    const DxfImportSettings& s_;
    PlaneCodesResult& r_;
};

}  // namespace

FileStatus insertfile(const std::string& name, std::vector<std::string>& out) {
    std::string bytes;
    FileStatus st = ReadFileBytes(name, bytes);
    if (!st.ok) return st;
    std::vector<std::string> lines = SplitLines(bytes);
    for (auto& l : lines)
        if (l.size() > kMaxLine) l.resize(kMaxLine);
    const bool even = lines.size() % 2 == 0;
    out.insert(out.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    if (even) out.emplace_back(" ");
    return {};
}

PlaneCodesResult AddPlaneCodes2(const std::vector<std::string>& in, const DxfImportSettings& s) {
    PlaneCodesResult r;
    r.lines.reserve(in.size() + in.size() / 8 + 16);
    Pass pass(s, r);
    const std::string& fileStart = s.codes.Code(LabelRow::FileStart);
    r.lines.push_back(fileStart);
    r.lines.push_back(fileStart);
    for (int row = LabelRow::Header1; row <= LabelRow::Header4; ++row) pass.entry(row);

    const std::string& beginBlock = s.codes.Code(LabelRow::BeginBlock);
    const std::string& fileEnd = s.codes.Code(LabelRow::FileEnd);
    std::string rapid = s.codes.Code(LabelRow::Rapid);
    rapid.erase(std::remove(rapid.begin(), rapid.end(), ' '), rapid.end());

    std::size_t i = 0;
    while (i < in.size() && r.status.ok) {
        const std::string& p = in[i++];
        if (i == in.size()) {  // an odd line at the end has no partner
            r.lines.push_back(p);
            break;
        }
        const std::string& q = in[i++];
        if (s.AnyLeadIn() && HasCode(p, beginBlock) && i + 1 < in.size() + 1 && i < in.size()) {
            const std::string& first = in[i++];
            const std::string empty;
            const std::string& second = i < in.size() ? in[i++] : empty;
            const SplitLine w = SplitWords(first, s.codes.letters);
            r.lines.push_back(rapid + " " + w.X + w.Y + w.Z);
            r.lines.push_back(p);
            pass.planeCodes(q);
            r.lines.push_back(q);
            r.lines.push_back(first);
            pass.planeCodes(second);
            r.lines.push_back(second);
            continue;
        }
        r.lines.push_back(p);
        // Between the start line and the arc line: a start line that only
        // repeats where the previous arc ended stays right after that arc,
        // where the clean-up removes it (a bare arc code cannot run).
        pass.planeCodes(q);
        if (q == fileEnd)
            for (int row = LabelRow::Trailer1; row <= LabelRow::Trailer5; ++row) pass.entry(row);
        r.lines.push_back(q);
    }
    if (!r.status.ok) r.lines.clear();
    return r;
}

}  // namespace tolva
