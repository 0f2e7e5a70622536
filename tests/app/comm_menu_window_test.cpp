// The main window's ways into the communications window: "&Comm " (F6) and
// the tool button that sends the program and closes the window again.
#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QPlainTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../comm/pty_peer.h"
#include "app/app_state.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "comm/comm_window.h"
#include "settings/machine_settings.h"

namespace {

TEST(CommMenu, TheSendButtonSendsTheProgramAndTheReceivedProgramIsUntitled) {
    char buf[] = "/tmp/tolva-comm-menu-XXXXXX";
    const std::string dir = ::mkdtemp(buf);
    PtyPeer peer;
    const std::string ini = dir + "/machine.ini";
    std::ofstream(ini) << "[Com Port]\nCom 1=1\nDevice1=" << peer.SlaveName() << "\n[Options]\nCr=0\nCrLf=1\n";
    {
        tolva::MachineSettings settings(dir);
        settings.SetMachineFile(ini);
        settings.Ldini();
        TForm1 form1(settings, QStringList{});
        TForm5 form5(settings);
        form5.SetHost(std::make_unique<tolva::RecordingHost>(true));

        QAction* comm = form1.ActionByText("&Comm ");
        ASSERT_NE(comm, nullptr);
        EXPECT_TRUE(comm->isEnabled());
        EXPECT_EQ(comm->shortcut(), QKeySequence("F6"));
        auto* send = form1.findChild<QToolButton*>("SendButton");
        ASSERT_NE(send, nullptr);
        EXPECT_EQ(send->toolTip(), "Send the file to a remote system");

        form1.RichEdit1->LoadBytes("G0 X1\nM30\n");
        send->click();
        EXPECT_EQ(peer.Read(), "G0 X1\r\nM30\r\n");
        EXPECT_FALSE(form5.isVisible());
        EXPECT_FALSE(form5.CommPortDriver1.IsConnected());

        // A port that cannot be opened keeps the window open with its message.
        std::ofstream(ini) << "[Com Port]\nCom 1=1\nDevice1=/dev/tolva-no-such-port\n";
        settings.Ldini();
        send->click();
        EXPECT_TRUE(form5.isVisible());
        EXPECT_TRUE(form5.StatusText->text().startsWith("Error: could not connect."));
        form5.close();

        // A received program replaces the loaded one as an untitled program.
        tolva::App().CurrentFileName = dir + "/old.nc";
        form5.RxRichEdit1->setPlainText("G1 Y2");
        form5.CopyRecievedToEditorClick();
        EXPECT_EQ(form1.RichEdit1->Lines(), std::vector<std::string>{"G1 Y2"});
        EXPECT_EQ(form1.windowTitle(), "Tolva - [Untitled]");
        EXPECT_EQ(tolva::App().CurrentFileName, "");
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
