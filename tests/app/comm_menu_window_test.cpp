// The main window's ways into the communications window: "&Comm " (F6) and
// the tool button that sends the program and closes the window again.
#include <QLabel>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "../comm/pty_peer.h"
#include "comm/comm_window.h"
#include "main_window_fixture.h"

namespace {

// The main and communications windows on a machine file whose port 1 is a
// pseudo-terminal; `options` adds to the file.
struct CommMenu : tolva::test::MainWindowFixture<> {
    PtyPeer peer;
    std::string ini = path("machine.ini");
    std::unique_ptr<TForm5> form5;

    void open(const std::string& options) {
        std::ofstream(ini) << "[Com Port]\nCom 1=1\nDevice1=" << peer.SlaveName() << "\n" << options;
        settings->SetMachineFile(ini);
        settings->Ldini();
        Open(false, /*plot=*/false);
        form5 = std::make_unique<TForm5>(*settings);
        form5->SetHost(std::make_unique<tolva::RecordingHost>(true));
    }
    void TearDown() override {
        form5.reset();
        MainWindowFixture::TearDown();
    }
};

TEST_F(CommMenu, TheSendButtonSendsTheProgramAndTheReceivedProgramIsUntitled) {
    open("[Options]\nCr=0\nCrLf=1\n");
    QAction* comm = form1->ActionByText("&Comm ");
    ASSERT_NE(comm, nullptr);
    EXPECT_TRUE(comm->isEnabled());
    EXPECT_EQ(comm->shortcut(), QKeySequence("F6"));
    auto* send = form1->findChild<QToolButton*>("SendButton");
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->toolTip(), "Send the file to a remote system");

    form1->RichEdit1->LoadBytes("G0 X1\nM30\n");
    send->click();
    EXPECT_EQ(peer.Read(), "G0 X1\r\nM30\r\n");
    EXPECT_FALSE(form5->isVisible());
    EXPECT_FALSE(form5->CommPortDriver1.IsConnected());

    // A port that cannot be opened keeps the window open with its message.
    std::ofstream(ini) << "[Com Port]\nCom 1=1\nDevice1=/dev/tolva-no-such-port\n";
    settings->Ldini();
    send->click();
    EXPECT_TRUE(form5->isVisible());
    EXPECT_TRUE(form5->StatusText->text().startsWith("Error: could not connect."));
    form5->close();

    // A received program replaces the loaded one as an untitled program.
    tolva::App().CurrentFileName = path("old.nc");
    form5->RxRichEdit1->setPlainText("G1 Y2");
    form5->CopyRecievedToEditorClick();
    EXPECT_EQ(form1->RichEdit1->Lines(), std::vector<std::string>{"G1 Y2"});
    EXPECT_EQ(form1->windowTitle(), "Tolva - [Untitled]");
    EXPECT_EQ(tolva::App().CurrentFileName, "");
}

// Leaving while a program goes out: Exit asks, and a yes stops the send at
// a line end with the status telling so.
TEST_F(CommMenu, ExitDuringASendAsksAndStopsItAtALineEnd) {
    open("[Options]\nLine Del=5\n");
    auto recording = std::make_unique<tolva::RecordingHost>(true);
    tolva::RecordingHost* host = recording.get();
    form1->SetHost(std::move(recording));
    std::string program;
    for (int i = 0; i < 2000; ++i) program += "G1 X" + std::to_string(i) + "\n";
    form1->RichEdit1->LoadBytes(program);
    form5->FormActivate();
    bool sendingAtExit = false;
    QTimer::singleShot(100, [&] {
        sendingAtExit = form5->Sending();
        form1->ExitClick();
    });
    EXPECT_FALSE(form5->SendEditorFileClick());
    EXPECT_TRUE(sendingAtExit);
    EXPECT_EQ(host->questions,
              std::vector<std::string>{"A program is being sent to the machine. Stop sending and exit?"});
    EXPECT_FALSE(form5->Sending());
    const std::string got = peer.Read();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), '\r');
    std::string sent = program;
    std::replace(sent.begin(), sent.end(), '\n', '\r');
    EXPECT_EQ(got, sent.substr(0, got.size()));
    EXPECT_TRUE(form5->StatusText->text().startsWith("Send stopped: ")) << form5->StatusText->text().toStdString();
}

}  // namespace
