// A program sent through the serial layer to a pseudo-terminal acting as
// the machine: the bytes that arrive, framed, translated and punched.
#include "comm/program_send.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

#include "comm/comm_port_driver.h"
#include "pty_peer.h"
#include "settings/label_table.h"

namespace {

using tolva::SendOptions;
using tolva::SendOutcome;


class RecordingView : public tolva::SendView {
public:
    void ListLine(const std::string& text) override { listed.push_back(text); }
    void DrawTape(std::uint8_t frame) override { drawn += static_cast<char>(frame); }
    std::vector<std::string> listed;
    std::string drawn;
};

struct Machine {
    PtyPeer peer;
    tolva::TCommPortDriver driver;
    tolva::PortSink sink{driver};
    RecordingView view;
    Machine() {
        driver.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
        EXPECT_TRUE(driver.Connect()) << driver.LastError();
    }
    // What the machine receives for `lines`.
    std::string Send(const std::vector<std::string>& lines, const SendOptions& o,
                     SendOutcome expect = SendOutcome::Done) {
        EXPECT_EQ(tolva::SendProgram(lines, o, sink, view), expect);
        return peer.Read();
    }
};

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

TEST(ProgramSend, FramingLineEndsStrippingTranslationAndTheFileNameLine) {
    Machine m;
    SendOptions o;
    o.fileStart = 2;
    o.fileEnd = 4;
    EXPECT_EQ(m.Send({"G1 X1"}, o), bytes({2, 13}) + "G1 X1" + bytes({13, 4, 13}));

    tolva::LabelTable table;
    table.SetCell(0, 29, "X");
    table.SetCell(1, 29, "U");
    table.SetCell(0, 30, "G1");
    table.SetCell(1, 30, "G01");
    SendOptions t;
    t.crlf = true;
    t.stripSpaces = true;
    t.translate = &table;
    t.transFile = true;
    t.caption = "MY-PART_1.NC";
    EXPECT_EQ(m.Send({"O1000 (NOT SENT)", "G1 X 1", "", "X2 X3"}, t),
              "(MYPART1N)\r\nG01U1\r\n\r\nU2X3\r\n");

    // A line of any length goes out whole, with its line end.
    const std::string longLine(300, 'Y');
    EXPECT_EQ(m.Send({std::string(255, 'X'), longLine, "G0"}, SendOptions{}),
              std::string(255, 'X') + "\r" + longLine + "\rG0\r");
}

TEST(ProgramSend, DontTransmitListsTheSendAndSendsNothing) {
    Machine m;
    tolva::LabelTable table;
    table.SetCell(0, 29, "X");
    table.SetCell(1, 29, "U");
    SendOptions o;
    o.fileStart = 37;
    o.fileEnd = 37;
    o.dontTransmit = true;
    o.translate = &table;
    o.stripSpaces = true;
    EXPECT_EQ(m.Send({"G1 X1", "M30"}, o), "");
    EXPECT_EQ(m.view.listed, (std::vector<std::string>{"%", "G1 U1", "M30", "%"}));
}

// The columns of the readable glyphs, copied from the table of the tape
// format: character, then its six columns left to right.
const std::pair<char, std::vector<int>> kTable[] = {
    {'P', {0x7F, 0x09, 0x09, 0x09, 0x06, 0x00}}, {'A', {0x7C, 0x12, 0x11, 0x12, 0x7C, 0x00}},
    {'R', {0x7F, 0x09, 0x19, 0x29, 0x46, 0x00}}, {'T', {0x01, 0x01, 0x7F, 0x01, 0x01, 0x00}},
    {'1', {0x00, 0x42, 0x7F, 0x40, 0x00, 0x00}}, {'N', {0x7F, 0x02, 0x1C, 0x20, 0x7F, 0x00}},
    {'C', {0x3E, 0x41, 0x41, 0x41, 0x41, 0x00}},
};

std::vector<int> columnsOf(char c) {
    for (const auto& [ch, cols] : kTable)
        if (ch == c) return cols;
    return {0x00};  // "." has no glyph: one blank frame
}

TEST(ProgramSend, TapeLeaderReadableHeaderParityAndTrailer) {
    std::mt19937 rng(15);
    std::uniform_int_distribution<int> printable(32, 126);
    std::vector<std::string> program;
    for (int i = 0; i < 60; ++i) {
        std::string line;
        for (int k = rng() % 40; k > 0; --k) line += static_cast<char>(printable(rng));
        program.push_back(line);
    }

    for (tolva::TapeParity parity : {tolva::TapeParity::Even, tolva::TapeParity::Odd}) {
        Machine m;
        SendOptions o;
        o.tape = true;
        o.parity = parity;
        o.readable = true;
        o.caption = "PART1.NC";
        o.headerLen = 20;
        o.headerChar = 0xFF;
        o.fileStart = 2;
        o.fileEnd = 4;
        o.crlf = true;
        const std::string got = m.Send(program, o);

        // Start character and its line end, with parity.
        std::size_t at = 0;
        auto data = [&](std::size_t n) {
            std::string s = got.substr(at, n);
            at += n;
            return s;
        };
        const std::string start = data(3);
        // The readable header: C, N, the blank of ".", 1, T, R, A, P, each
        // character's columns last to first: 43 frames, as punched.
        std::string header;
        for (char c : std::string("CN.1TRAP")) {
            std::vector<int> cols = columnsOf(c);
            for (auto k = cols.rbegin(); k != cols.rend(); ++k) header += static_cast<char>(*k);
        }
        ASSERT_EQ(header.size(), 43u);
        EXPECT_EQ(data(43), header);
        EXPECT_EQ(data(20), std::string(20, '\xFF'));  // leader, as it is
        std::string text;
        for (const std::string& l : program) text += l + "\r\n";
        const std::string body = data(text.size());
        const std::string end = data(3);
        EXPECT_EQ(data(20), std::string(20, '\xFF'));  // trailer
        EXPECT_EQ(at, got.size());

        // Every data character carries the parity; its 7 data bits are the
        // program's.
        const std::string sentData = start + body + end;
        const std::string plain = bytes({2, 13, 10}) + text + bytes({4, 13, 10});
        ASSERT_EQ(sentData.size(), plain.size());
        for (std::size_t i = 0; i < plain.size(); ++i) {
            const auto b = static_cast<unsigned char>(sentData[i]);
            EXPECT_EQ(b & 0x7F, static_cast<unsigned char>(plain[i]));
            EXPECT_EQ(std::popcount(b) % 2, parity == tolva::TapeParity::Even ? 0 : 1) << "byte " << i;
        }
        // The picture shows header, leader, program bytes and trailer; the
        // start and end characters are not drawn.
        EXPECT_EQ(m.view.drawn, header + std::string(20, '\xFF') + body + std::string(20, '\xFF'));
    }
}

TEST(ProgramSend, APeerThatStopsReadingEndsTheSendWithATimeout) {
    PtyPeer peer;  // never read
    tolva::TCommPortDriver driver;
    driver.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    driver.SetOutputTimeout(200);
    ASSERT_TRUE(driver.Connect());
    tolva::PortSink sink(driver);
    tolva::SendView view;
    const std::vector<std::string> program(50000, std::string(40, 'G'));
    SendOptions o;
    EXPECT_EQ(tolva::SendProgram(program, o, sink, view), SendOutcome::TimedOut);
}

// A stop asked at any moment ends the send at a line end, and the count of
// lines sent is the count of line ends the sink took: over generated
// programs, line ends, character delays and stop moments.
TEST(ProgramSend, AStopEndsAtALineEndAndTheLinesSentCountWhatWentOut) {
    struct Sink : tolva::ByteSink {
        std::string bytes;
        int calls = 0;
        int SendBytes(const std::uint8_t* data, int count) override {
            bytes.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
            ++calls;
            return count;
        }
    };
    struct View : tolva::SendView {
        Sink* sink = nullptr;
        int stopAfterCalls = 0;
        std::vector<std::pair<int, std::size_t>> reports;  // (lines sent, bytes the sink had)
        void LinesSent(int count) override { reports.emplace_back(count, sink->bytes.size()); }
        bool Stopped() override { return sink->calls >= stopAfterCalls; }
    };
    std::mt19937 random(30);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> program(1 + random() % 400);
        for (auto& line : program) line = std::string(random() % 90, 'G');
        SendOptions o;
        o.crlf = random() % 2;
        o.charDelay = random() % 4 == 0 ? 1 : 0;
        Sink sink;
        View view;
        view.sink = &sink;
        view.stopAfterCalls = 1 + static_cast<int>(random() % 40);
        const SendOutcome outcome = tolva::SendProgram(program, o, sink, view);
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string end = o.crlf ? "\r\n" : "\r";
        std::size_t lineEnds = 0;
        for (std::size_t at = sink.bytes.find(end); at != std::string::npos; at = sink.bytes.find(end, at + 1))
            ++lineEnds;
        if (outcome == SendOutcome::Stopped) {
            ASSERT_FALSE(sink.bytes.empty());
            EXPECT_EQ(sink.bytes.substr(sink.bytes.size() - end.size()), end);
        } else {
            EXPECT_EQ(outcome, SendOutcome::Done);
            EXPECT_EQ(lineEnds, program.size());
        }
        ASSERT_FALSE(view.reports.empty());
        EXPECT_EQ(static_cast<std::size_t>(view.reports.back().first), lineEnds);
        for (const auto& [lines, had] : view.reports) {
            std::size_t ends = 0;
            for (std::size_t at = sink.bytes.find(end); at != std::string::npos && at < had; at = sink.bytes.find(end, at + 1))
                ++ends;
            EXPECT_EQ(static_cast<std::size_t>(lines), ends);
        }
    }
}

}  // namespace
