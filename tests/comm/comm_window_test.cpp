// The communications window against a pseudo-terminal acting as the
// machine: activation, send, timeout, stop, receive and copy to the editor.
#include "comm/comm_window.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <filesystem>
#include <fstream>

#include "base/main_editor_qt.h"
#include "base/program_editor_qt.h"
#include "pty_peer.h"
#include "settings/machine_settings.h"

namespace {

// The main window as the communications window sees it.
class MainStandIn : public QMainWindow, public MainEditorAccess {
public:
    MainStandIn() {
        editor = new ProgramEditor(this);
        setCentralWidget(editor);
        MainWindowAccess = this;
    }
    ~MainStandIn() override { MainWindowAccess = nullptr; }
    ProgramEditor* MainEditor() override { return editor; }
    int SelStartLine() const override { return -1; }
    int SelLineCount() const override { return 0; }
    void MainCaretMoved() override {}
    void EditProgram(const LinesOperation&) override {}
    void RunModifier(char, double) override {}
    ProgramEditor* editor;
};

struct CommWindow : ::testing::Test {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tolva-comm-window-test-" + std::to_string(::getpid()));
    PtyPeer peer;
    std::unique_ptr<tolva::MachineSettings> settings;
    MainStandIn main;
    std::unique_ptr<TForm5> form5;
    tolva::RecordingHost* host = nullptr;

    // A machine file choosing port 2 on the pseudo-terminal (or `device`).
    void SetUpMachine(const std::string& extra, std::string device = {}) {
        std::filesystem::create_directories(dir);
        const std::string ini = (dir / "machine.ini").string();
        std::ofstream(ini) << "[Com Port]\nCom 1=0\nCom 2=1\nDevice2=" << (device.empty() ? peer.SlaveName() : device)
                           << "\n[Labels]\nFile Start=%\n" << extra;
        settings = std::make_unique<tolva::MachineSettings>(dir.string());
        settings->SetMachineFile(ini);
        settings->Ldini();
        form5 = std::make_unique<TForm5>(*settings);
        auto recording = std::make_unique<tolva::RecordingHost>(true);
        host = recording.get();
        form5->SetHost(std::move(recording));
    }
    void TearDown() override {
        form5.reset();
        std::filesystem::remove_all(dir);
    }
    std::string rx() { return form5->RxRichEdit1->toPlainText().toStdString(); }
};

TEST_F(CommWindow, SendFramesTheProgramAndLeavesTheEditorAlone) {
    SetUpMachine("[Transmit]\nStart=2\nEnd=4\n[Options]\nCr=0\nCrLf=1\nStrip Spaces=1\n");
    main.editor->LoadBytes("G1 X1\nM30\n");
    form5->FormActivate();
    EXPECT_EQ(form5->StatusText->text(), "Connected to Comm Port 2");
    EXPECT_EQ(rx(), "%\n");
    form5->SendEditorFileClick();
    EXPECT_EQ(peer.Read(), "\x02\r\nG1X1\r\nM30\r\n\x04\r\n");
    EXPECT_EQ(main.editor->Bytes(), "G1 X1\nM30\n");
    EXPECT_EQ(form5->windowTitle(), "Comm");
}

TEST_F(CommWindow, APeerThatStopsReadingGivesTheTimeoutCaption) {
    SetUpMachine("");
    std::string program;
    for (int i = 0; i < 40000; ++i) program += "G1 X" + std::to_string(i) + " Y1.2345 Z-0.5000 F1200\n";
    main.editor->LoadBytes(program);
    form5->FormActivate();
    form5->CommPortDriver1.SetOutputTimeout(300);
    form5->SendEditorFileClick();  // the peer never reads
    EXPECT_EQ(form5->windowTitle(), "TimeOut Err Close Comm and try Again");
    EXPECT_FALSE(form5->CommPortDriver1.IsConnected());
    const std::string status = form5->StatusText->text().toStdString();
    EXPECT_EQ(status.rfind("Not connected: the machine took no characters for 0.3 s; ", 0), 0u) << status;
    EXPECT_NE(status.find(" of 40000 lines sent"), std::string::npos) << status;
    EXPECT_EQ(host->beeps, 1);
    EXPECT_EQ(main.editor->Bytes(), program);
}

TEST_F(CommWindow, StopEndsASendWhileTheWindowStaysAlive) {
    SetUpMachine("[Options]\nLine Del=20\n");
    std::string program;
    for (int i = 0; i < 500; ++i) program += "N" + std::to_string(i) + "\n";
    main.editor->LoadBytes(program);
    form5->FormActivate();
    bool ticked = false;
    QTimer::singleShot(150, [&] {
        ticked = form5->Sending();
        form5->StopSendClick();
    });
    form5->SendEditorFileClick();
    EXPECT_TRUE(ticked);  // the timer ran during the send
    EXPECT_FALSE(form5->Sending());
    EXPECT_TRUE(form5->CommPortDriver1.IsConnected());
    const std::string got = peer.Read();
    EXPECT_GT(got.size(), 0u);
    EXPECT_LT(got.size(), program.size() / 2);
    std::string sent = program;
    std::replace(sent.begin(), sent.end(), '\n', '\r');
    EXPECT_EQ(got, sent.substr(0, got.size()));
    EXPECT_EQ(got.back(), '\r');  // whole lines only
    // The status tells how far it got.
    const auto lines = std::count(got.begin(), got.end(), '\r');
    EXPECT_EQ(form5->StatusText->text().toStdString(),
              "Send stopped: " + std::to_string(lines) + " of 500 lines sent; Connected to Comm Port 2");
}

TEST_F(CommWindow, ClosingTheWindowDuringASendEndsItAtALineEnd) {
    SetUpMachine("[Options]\nLine Del=5\n");
    std::string program;
    for (int i = 0; i < 500; ++i) program += "N" + std::to_string(i) + " G0 X1\n";
    main.editor->LoadBytes(program);
    form5->show();
    form5->FormActivate();
    QTimer::singleShot(60, [&] { form5->close(); });
    EXPECT_FALSE(form5->SendEditorFileClick());
    EXPECT_FALSE(form5->CommPortDriver1.IsConnected());
    const std::string got = peer.Read();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), '\r');
    EXPECT_EQ(form5->StatusText->text().left(14).toStdString(), "Send stopped: ");
}

TEST_F(CommWindow, AStopTheMachineDoesNotTakeDropsTheLineInHandAfterAMoment) {
    SetUpMachine("[Flow]\nOutput Timeout=0\n");
    std::string program;
    for (int i = 0; i < 20000; ++i) program += "G1 X" + std::to_string(i) + " Y1.2345\n";
    main.editor->LoadBytes(program);
    form5->FormActivate();
    std::atomic<std::int64_t> now{0};  // ms; the machine never reads
    form5->CommPortDriver1.SetClock([&] { return now.load(); });
    QString stopping, progress;
    QTimer::singleShot(200, [&] {
        progress = form5->StatusText->text();
        form5->StopSendClick();
        stopping = form5->StatusText->text();
        now += 1500;  // not yet given up
        QTimer::singleShot(50, [&] {
            EXPECT_TRUE(form5->Sending());
            now += 1000;
        });
    });
    EXPECT_FALSE(form5->SendEditorFileClick());
    // While the port was held the status counted the lines it had taken.
    const QRegularExpressionMatch m =
        QRegularExpression("^Sending: (\\d+) of 20000 lines sent \\((\\d+) %\\)$").match(progress);
    ASSERT_TRUE(m.hasMatch()) << progress.toStdString();
    const int taken = m.captured(1).toInt();
    EXPECT_GT(taken, 0);
    EXPECT_LT(taken, 20000);
    EXPECT_EQ(m.captured(2).toInt(), taken * 100 / 20000);
    EXPECT_EQ(stopping.toStdString(), "Stopping: the line in hand goes out whole");
    const std::string status = form5->StatusText->text().toStdString();
    EXPECT_EQ(status.rfind("Send stopped: ", 0), 0u) << status;
    EXPECT_NE(status.find(" of 20000 lines sent; the machine did not take the rest of the next line; Connected to Comm Port 2"),
              std::string::npos)
        << status;
}

TEST_F(CommWindow, ADialogOpenedDuringASendDoesNotHoldTheBytesBack) {
    SetUpMachine("");
    std::string program;
    for (int i = 0; i < 20000; ++i) program += "G1 X" + std::to_string(i) + " Y1.2345\n";
    std::string sent = program;
    std::replace(sent.begin(), sent.end(), '\n', '\r');
    main.editor->LoadBytes(program);
    form5->FormActivate();

    // The machine starts reading only once the dialog is open: the pseudo-
    // terminal holds a small part of the program, so the rest goes out while
    // the dialog is up, or never.
    std::atomic<bool> dialogOpen{false}, machineDone{false};
    std::string got;
    std::thread machine([&] {
        while (!dialogOpen) std::this_thread::yield();
        got = peer.Read(sent.size(), 3000);
        machineDone = true;
    });
    bool sendingAtOpen = false, endedWhileOpen = false;
    QString statusWhileOpen;
    QTimer::singleShot(0, [&] {
        QMessageBox box(QMessageBox::Question, "Tolva", "File has been modified. Save file?",
                        QMessageBox::Yes | QMessageBox::No);
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (machineDone && !form5->Sending()) box.done(QMessageBox::No);
        });
        check.start(10);
        // Closes the box if the send never ends while it is open.
        QTimer::singleShot(10000, &box, [&] { box.done(QMessageBox::No); });
        sendingAtOpen = form5->Sending();
        dialogOpen = true;
        box.exec();
        endedWhileOpen = !form5->Sending();
        statusWhileOpen = form5->StatusText->text();
    });
    EXPECT_TRUE(form5->SendEditorFileClick());
    machine.join();
    EXPECT_TRUE(sendingAtOpen);
    EXPECT_TRUE(endedWhileOpen);
    EXPECT_EQ(statusWhileOpen.toStdString(), "Connected to Comm Port 2; 20000 of 20000 lines sent");
    EXPECT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes";
}

TEST_F(CommWindow, AMissingDeviceIsReportedAndNothingBreaks) {
    SetUpMachine("", "/dev/tolva-no-such-port");
    main.editor->LoadBytes("G1 X1\n");
    form5->FormActivate();
    const std::string status = form5->StatusText->text().toStdString();
    EXPECT_EQ(status.rfind("Error: could not connect. Check COM port settings in \"Setup\" and try again.", 0), 0u)
        << status;
    EXPECT_NE(status.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(form5->TxRichEdit1->toPlainText().toStdString(),
              "Error: Usually the selected port is in use by another program  ");
    EXPECT_EQ(host->beeps, 1);
    form5->SendEditorFileClick();  // sends nothing, says nothing
    EXPECT_EQ(form5->windowTitle(), "Comm");
}

TEST_F(CommWindow, APortHeldElsewhereIsReported) {
    SetUpMachine("");
    tolva::TCommPortDriver holder;  // another program's open port
    holder.SetDeviceName(tolva::pnCOM2, peer.SlaveName());
    ASSERT_TRUE(holder.Connect());
    form5->FormActivate();
    const std::string status = form5->StatusText->text().toStdString();
    EXPECT_EQ(status.rfind("Error: could not connect.", 0), 0u) << status;
    EXPECT_NE(status.find("is in use by"), std::string::npos) << status;
    EXPECT_EQ(form5->RxRichEdit1->toPlainText().toStdString().rfind("Error: You may have selected the same port as the Mouse ", 0), 0u);
    EXPECT_FALSE(form5->CommPortDriver1.IsConnected());
}

TEST_F(CommWindow, ReceivedTextGrowsInPlaceAndGoesToTheEditor) {
    SetUpMachine("[Options]\nStripBlank=1\n");
    main.editor->LoadBytes("OLD\n");
    form5->FormActivate();
    form5->RecieveFromRemoteClick();
    EXPECT_EQ(form5->TxRichEdit1->toPlainText().toStdString(), "Ready to recieve");
    auto poll = [&] {
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            form5->CommPortDriver1.PollReceive();
            ::usleep(2000);
        }
    };
    peer.Write("AB\bC\r\nD");
    poll();
    EXPECT_EQ(rx(), "%\nAC\nD");
    peer.Write("1 X2\r\rG0\r");
    poll();
    EXPECT_EQ(rx(), "%\nAC\nD1 X2\n\nG0\n");

    // The line terminal: Enter sends the last line, then CR.
    form5->TxRichEdit1->clear();
    QTest::keyClicks(form5->TxRichEdit1, "N5 G4");
    QTest::keyClick(form5->TxRichEdit1, Qt::Key_Return);
    QTest::keyClicks(form5->TxRichEdit1, "M2");
    EXPECT_EQ(peer.Read(), "N5 G4\r");
    EXPECT_EQ(form5->TxRichEdit1->toPlainText().toStdString(), "N5 G4\nM2");

    bool untitled = false;
    form5->OnCopiedToEditor = [&] { untitled = true; };
    form5->CopyRecievedToEditorClick();
    EXPECT_EQ(host->questions, std::vector<std::string>{"Over Write the Old file"});
    EXPECT_EQ(main.editor->Lines(), (std::vector<std::string>{"%", "AC", "D1 X2", "G0"}));
    EXPECT_EQ(rx(), "");
    EXPECT_TRUE(untitled);
}

}  // namespace
