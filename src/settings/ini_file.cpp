#include "settings/ini_file.h"

#include <climits>

#include "base/folders.h"

namespace tolva {
namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The section name of a header line, or nothing when the line is no header.
std::optional<std::string_view> headerName(std::string_view text) {
    std::string_view t = TrimBlanks(text);
    if (t.empty() || t.front() != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(t.substr(1, close - 1));
}

// The key of an entry line, or nothing when the line is no entry.
std::optional<std::string_view> entryKey(std::string_view text) {
    std::string_view t = TrimBlanks(text);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view key = TrimBlanks(text.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return key;
}

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::optional<int> ParseInteger(std::string_view text) {
    std::string_view t = TrimBlanks(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty()) return std::nullopt;
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return std::nullopt;
    return static_cast<int>(v);
}

int LeadingInteger(std::string_view text) {
    std::string_view t = text;
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') break;
        if (v < static_cast<long long>(INT_MAX) + 1) v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

void IniFile::Parse(std::string_view bytes) {
    sections_.clear();
    byName_.clear();
    lineEnd_ = LineEndText(DetectLineEnd(bytes));
    sections_.emplace_back();  // the lines before the first header

    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t stop = bytes.find_first_of("\r\n", pos);
        Line line;
        if (stop == std::string_view::npos) {
            line.text.assign(bytes.substr(pos));
            pos = bytes.size();
        } else {
            line.text.assign(bytes.substr(pos, stop - pos));
            std::size_t endLen = (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
            line.end.assign(bytes.substr(stop, endLen));
            pos = stop + endLen;
        }
        if (auto name = headerName(line.text)) {
            Section s;
            s.hasHeader = true;
            byName_[lower(*name)].push_back(sections_.size());
            s.lines.push_back(std::move(line));
            sections_.push_back(std::move(s));
        } else {
            Section& s = sections_.back();
            s.lines.push_back(std::move(line));
            if (s.hasHeader) indexLine(s, s.lines.size() - 1);
        }
    }
}

void IniFile::indexLine(Section& s, std::size_t line) {
    if (auto key = entryKey(s.lines[line].text)) s.keys.emplace(lower(*key), line);
}

FileStatus IniFile::Load(const std::string& path) {
    Parse({});
    if (!FileExists(path)) return {};
    std::string bytes;
    FileStatus st = ReadFileBytes(path, bytes);
    if (st.ok) Parse(bytes);
    return st;
}

FileStatus IniFile::Save(const std::string& path) const { return WriteFileAtomic(path, Bytes()); }

std::string IniFile::Bytes() const {
    std::size_t size = 0;
    for (const Section& s : sections_)
        for (const Line& l : s.lines) size += l.text.size() + l.end.size();
    std::string out;
    out.reserve(size);
    for (const Section& s : sections_)
        for (const Line& l : s.lines) {
            out += l.text;
            out += l.end;
        }
    return out;
}

std::optional<IniFile::Found> IniFile::find(std::string_view section, std::string_view key) const {
    auto it = byName_.find(lower(section));
    if (it == byName_.end()) return std::nullopt;
    std::string k = lower(key);
    for (std::size_t si : it->second) {
        auto kit = sections_[si].keys.find(k);
        if (kit != sections_[si].keys.end()) return Found{si, kit->second};
    }
    return std::nullopt;
}

bool IniFile::HasSection(std::string_view section) const { return byName_.count(lower(section)) != 0; }

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    auto f = find(section, key);
    if (!f) return std::nullopt;
    const std::string& text = sections_[f->section].lines[f->line].text;
    return std::string(TrimBlanks(std::string_view(text).substr(text.find('=') + 1)));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view missing) const {
    auto v = Read(section, key);
    return v ? *v : std::string(missing);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int missing) const {
    auto v = Read(section, key);
    if (!v) return missing;
    auto n = ParseInteger(*v);
    return n ? *n : missing;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool missing) const {
    auto v = Read(section, key);
    if (!v) return missing;
    auto n = ParseInteger(*v);
    return n ? *n != 0 : missing;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    std::string clean(value);
    for (char& c : clean)
        if (c == '\r' || c == '\n') c = ' ';

    if (auto f = find(section, key)) {
        std::string& text = sections_[f->section].lines[f->line].text;
        text.erase(text.find('=') + 1);
        text += clean;
        return;
    }
    Line entry{std::string(key) + "=" + clean, lineEnd_};

    auto it = byName_.find(lower(section));
    if (it != byName_.end()) {
        Section& s = sections_[it->second.front()];
        // After the last non-blank line, so blank lines that separate this
        // section from the next stay between them. Only blank lines follow the
        // insertion point, so no indexed key moves.
        std::size_t at = s.lines.size();
        while (at > 1 && TrimBlanks(s.lines[at - 1].text).empty()) --at;
        if (s.lines[at - 1].end.empty()) s.lines[at - 1].end = lineEnd_;
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
        s.keys.emplace(lower(key), at);
        return;
    }

    // A new section at the end; the last line of the file gets a line end first.
    for (auto si = sections_.rbegin(); si != sections_.rend(); ++si) {
        if (si->lines.empty()) continue;
        if (si->lines.back().end.empty()) si->lines.back().end = lineEnd_;
        break;
    }
    Section s;
    s.hasHeader = true;
    s.lines.push_back(Line{"[" + std::string(section) + "]", lineEnd_});
    s.lines.push_back(std::move(entry));
    s.keys.emplace(lower(key), 1);
    byName_[lower(section)].push_back(sections_.size());
    sections_.push_back(std::move(s));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    Write(section, key, value ? "1" : "0");
}

}  // namespace tolva
