// A program's lines as the interpreter reads them: by 0-based index, each a
// view of the line as the source holds it, whole.
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
// they must outlive this object and stay unchanged. Only every 256th line
// start is kept (a plot of a million lines needs no index as large as a
// third of its text): reading lines in order, or the same line again, costs
// the line's length; any other line costs at most 255 lines' scan. Not for
// use from two threads at once (it remembers the line last read).
class ByteLines final : public ProgramLines {
public:
    explicit ByteLines(std::string_view bytes);
    int Count() const override { return count_; }
    std::string_view Line(int i) const override;
    // The same bytes, held elsewhere from now on (a copy of them).
    void Rebase(std::string_view sameBytes) {
        if (sameBytes.size() == bytes_.size()) bytes_ = sameBytes;
    }

private:
    static constexpr int kEvery = 256;
    // End of the line starting at `start` (its CR or LF, or the end).
    std::size_t endOf(std::size_t start) const;
    // Start of the line after the one ending at `end`.
    std::size_t nextStart(std::size_t end) const;

    std::string_view bytes_;
    bool hasCR_ = false;  // some line ends with CR (alone or before LF)
    int count_ = 0;
    std::vector<std::size_t> checkpoints_;  // start of line k * kEvery
    mutable int lastLine_ = -1;
    mutable std::size_t lastStart_ = 0, lastEnd_ = 0;
};

}  // namespace tolva
