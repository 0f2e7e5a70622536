#include "comm/program_send.h"

#include <algorithm>
#include <limits>

#include "settings/ini_file.h"
#include "settings/label_table.h"
#include "settings/machine_settings.h"

namespace tolva {

namespace {

constexpr int kFirstTranslateRow = 29;
constexpr int kLastTranslateRow = 69;
// Bytes gathered before a write when nothing asks for a byte-by-byte pace:
// large enough that the serial line, not the calls, limits the speed, small
// enough that a stop is seen within a moment at any line speed (half a second
// at 9600 bit/s). A write always ends at a line end.
constexpr std::size_t kBatch = 512;

class Sender {
public:
    Sender(const SendOptions& o, ByteSink& sink, SendView& view) : o_(o), sink_(sink), view_(view) {}

    // One byte by the send-byte rule, then the character delay when asked.
    bool put(std::uint8_t b, bool draw, bool delay) {
        if (draw) view_.DrawTape(b);
        buf_.push_back(b);
        // Within a line a stop is not obeyed: the line goes out whole.
        if (delay && o_.charDelay > 0) return flush() && pause(o_.charDelay);
        return true;
    }
    // After a whole line (or frame): the bytes gathered go out when enough
    // are there, and a stop asked for ends the send here, between lines.
    bool lineDone(bool isLine) {
        if (isLine) ++pendingLines_;
        if ((buf_.size() >= kBatch || buf_.empty()) && !flush()) return false;
        return checkStop();
    }
    bool flush() {
        if (!buf_.empty()) {
            int result = static_cast<int>(buf_.size());
            if (!o_.dontTransmit) result = sink_.SendBytes(buf_.data(), static_cast<int>(buf_.size()));
            buf_.clear();
            if (result < 0) {
                outcome_ = view_.Stopped() ? SendOutcome::Stopped : SendOutcome::TimedOut;
                return false;
            }
        }
        if (pendingLines_ > 0) {
            linesSent_ += pendingLines_;
            pendingLines_ = 0;
            view_.LinesSent(linesSent_);
        }
        return true;
    }
    bool pause(int ms) {
        if (ms <= 0) return true;
        if (!flush()) return false;
        view_.Wait(ms);
        return true;
    }
    bool wait(int ms) { return pause(ms) && checkStop(); }
    bool checkStop() {
        if (!view_.Stopped()) return true;
        outcome_ = SendOutcome::Stopped;
        return false;
    }
    std::uint8_t data(char c) const {
        const auto b = static_cast<std::uint8_t>(c);
        return o_.tape ? WithParity(b, o_.parity) : b;
    }
    // The start or end text: the character, CR and, with CR LF, LF.
    bool frame(int code) {
        std::string text(1, static_cast<char>(code));
        if (o_.dontTransmit) view_.ListLine(text);
        text += '\r';
        if (o_.crlf) text += '\n';
        for (char c : text)
            if (!put(data(c), false, true)) return false;
        return lineDone(false);
    }
    bool leaderOrTrailer() {
        for (int k = 0; k < o_.headerLen; ++k)
            if (!put(static_cast<std::uint8_t>(o_.headerChar), true, true)) return false;
        return lineDone(false);
    }
    bool line(int index, const std::string& source) {
        if (!o_.dontTransmit) view_.Progress(index, source);
        std::string text = o_.transFile && index == 0 ? FileNameLine(o_.caption) : source;
        if (o_.translate)
            for (int r = kFirstTranslateRow; r <= kLastTranslateRow; ++r)
                text = Translate(*o_.translate, r, text, std::numeric_limits<std::size_t>::max());
        if (o_.dontTransmit) view_.ListLine(text);
        if (o_.stripSpaces) text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
        text += '\r';
        if (o_.crlf) text += '\n';
        for (char c : text)
            if (!put(data(c), o_.tape, true)) return false;
        return lineDone(true) && wait(o_.lineDelay);
    }

    SendOutcome run(const std::vector<std::string>& lines) {
        if (o_.fileStart >= 0 && !(frame(o_.fileStart) && wait(o_.lineDelay))) return outcome_;
        if (o_.tape) {
            if (o_.readable)
                for (std::uint8_t f : ReadableHeaderFrames(o_.caption))
                    if (!put(f, true, false)) return outcome_;
            if (!leaderOrTrailer()) return outcome_;
        }
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!line(static_cast<int>(i), lines[i])) return outcome_;
        if (o_.fileEnd >= 0 && !frame(o_.fileEnd)) return outcome_;
        if (o_.tape && !leaderOrTrailer()) return outcome_;
        if (!flush()) return outcome_;
        return SendOutcome::Done;
    }

private:
    const SendOptions& o_;
    ByteSink& sink_;
    SendView& view_;
    std::vector<std::uint8_t> buf_;
    int pendingLines_ = 0;  // program lines whole in buf_
    int linesSent_ = 0;     // program lines the sink has taken
    SendOutcome outcome_ = SendOutcome::TimedOut;
};

int integerOrZero(const std::string& text) { return ParseInteger(text).value_or(0); }

}  // namespace

std::string FileNameLine(std::string_view caption) {
    std::string name;
    for (char c : caption)
        if (c != ' ' && c != '-' && c != '_' && c != '.') name += c;
    return "(" + name.substr(0, 8) + ")";
}

SendOptions SendOptionsFromSettings(const MachineSettings& s, std::string caption) {
    SendOptions o;
    o.fileStart = s.Int("FileStartSpinEdit");
    o.fileEnd = s.Int("FileEndSpinEdit");
    o.crlf = s.Flag("RadioButton17");
    // Delays below 0 wait nothing.
    o.lineDelay = std::max(0, integerOrZero(s.Text("Edit3")));
    o.charDelay = std::max(0, integerOrZero(s.Text("Edit4")));
    o.transFile = s.Flag("TransFileCheckBox");
    o.caption = std::move(caption);
    if (s.Flag("TranslateCheckBox")) o.translate = &s.Labels();
    o.stripSpaces = s.Flag("CheckBox4");
    o.tape = s.Flag("TapeCheckBox");
    o.parity = s.Flag("TapeRadioButtonEven")  ? TapeParity::Even
               : s.Flag("TapeRadioButtonOdd") ? TapeParity::Odd
                                              : TapeParity::None;
    o.readable = s.Flag("ReadableCheckBox");
    o.headerLen = s.Int("HeaderLenSpinEdit");
    o.headerChar = s.Int("HeaderCharSpinEdit");
    return o;
}

SendOutcome SendProgram(const std::vector<std::string>& lines, const SendOptions& options, ByteSink& sink,
                        SendView& view) {
    return Sender(options, sink, view).run(lines);
}

}  // namespace tolva
