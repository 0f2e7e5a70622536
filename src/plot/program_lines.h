// A program's lines as the interpreter reads them: by 0-based index, each a
// view of at most what the source holds (the interpreter itself cuts to 255).
// An index outside 0..Count()-1 reads as an empty line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolva {

class ProgramLines {
public:
    virtual ~ProgramLines() = default;
    virtual int Count() const = 0;
    virtual std::string_view Line(int index) const = 0;
    // The main editor's text (the highlighted block and the summary refer to it).
    bool MainEditor = false;
};

// Lines held as one string each.
class VectorLines final : public ProgramLines {
public:
    explicit VectorLines(const std::vector<std::string>& lines) : lines_(lines) {}
    int Count() const override { return static_cast<int>(lines_.size()); }
    std::string_view Line(int i) const override {
        return i >= 0 && i < Count() ? std::string_view(lines_[i]) : std::string_view();
    }

private:
    const std::vector<std::string>& lines_;
};

// Lines of a document's bytes, split at CR LF, LF or CR; a final line end
// starts no new line (as the editor counts lines). The bytes are not copied:
// they must outlive this object and stay unchanged. Costs one offset per line.
class ByteLines final : public ProgramLines {
public:
    explicit ByteLines(std::string_view bytes);
    int Count() const override { return static_cast<int>(starts_.size()); }
    std::string_view Line(int i) const override;

private:
    std::string_view bytes_;
    std::vector<std::size_t> starts_;
};

}  // namespace tolva
