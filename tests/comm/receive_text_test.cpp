// Received bytes into the receive window's lines.
#include "comm/receive_text.h"

#include <gtest/gtest.h>

namespace {

// The receive window as lines; each delivery goes through ReceivedLines.
struct Window {
    std::vector<std::string> lines;
    void Deliver(std::string_view bytes) {
        const std::string* last = lines.empty() ? nullptr : &lines.back();
        std::vector<std::string> got = tolva::ReceivedLines(last, bytes);
        if (got.empty()) return;
        if (!lines.empty()) lines.pop_back();
        lines.insert(lines.end(), got.begin(), got.end());
    }
};

TEST(ReceiveText, BackspacesNulsLineFeedsAndCarriageReturns) {
    Window w;
    w.Deliver(std::string("AB\bC\r\nD", 7));
    EXPECT_EQ(w.lines, (std::vector<std::string>{"AC", "D"}));

    Window nul;
    nul.Deliver(std::string("\0\n", 2));
    EXPECT_TRUE(nul.lines.empty());
    nul.Deliver(std::string("X\0Y\r", 4));
    EXPECT_EQ(nul.lines, (std::vector<std::string>{"XY", ""}));
}

TEST(ReceiveText, ALineArrivingInPiecesGrowsInPlace) {
    Window w;
    w.lines = {"%", ""};
    for (std::string_view piece : {"G1", " X1", ".5\r", "G2", "\r"}) w.Deliver(piece);
    EXPECT_EQ(w.lines, (std::vector<std::string>{"%", "G1 X1.5", "G2", ""}));
}

TEST(ReceiveText, ErasedTextDoesNotStayOnScreen) {
    Window w;
    w.Deliver("G1 X");
    w.Deliver("\b\b\b\b");
    EXPECT_EQ(w.lines, (std::vector<std::string>{""}));
    w.Deliver("\b\bM3");
    EXPECT_EQ(w.lines, (std::vector<std::string>{"M3"}));
}

}  // namespace
