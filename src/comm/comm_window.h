// Window "Comm": sends the program in the main editor to a machine
// controller or a tape punch, receives a program back, and offers a small
// line terminal with manual DTR and RTS. Created at start and kept for the
// life of the program; connected from each activation until it closes.
//
// The framing, the receive rules and the serial layer live in the core
// (program_send.h, receive_text.h, comm_port_driver.h); this window shows
// them. A send runs on a thread of its own, so nothing the windows do (a
// modal dialog, a long operation) holds the bytes back; the window shows its
// progress and "Stop" or Esc ends it at the next line end.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "base/host.h"
#include "base/shell_window_qt.h"
#include "comm/comm_port_driver.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
namespace tolva {
class MachineSettings;
}

class TForm5;
inline TForm5* Form5 = nullptr;

class TForm5 : public ShellWindow {
    Q_OBJECT
public:
    explicit TForm5(tolva::MachineSettings& settings, QWidget* parent = nullptr);
    ~TForm5() override;

    tolva::TCommPortDriver CommPortDriver1;
    QPlainTextEdit* RxRichEdit1;
    QPlainTextEdit* TxRichEdit1;
    QCheckBox* DontTransmit;
    QPlainTextEdit* Memo3;  // the tape picture, newest frame on top
    QLabel* StatusText;
    QPushButton* SendButton;
    QPushButton* StopButton;

    // Each activation: disconnect, clear, take the settings, connect.
    void FormActivate();
    // True when the whole program went out (or was listed). Returns when the
    // send has ended; the window's events, and any other window's, run
    // meanwhile.
    bool SendEditorFileClick();
    void RecieveFromRemoteClick();
    void ClearClick();
    void CopyRecievedToEditorClick();
    void CommPortDriver1ReceiveData(const std::uint8_t* DataPtr, std::uint32_t DataSize);
    // Ends a running send at the next line end: the lines handed to the port
    // go out whole. A machine that does not take the rest of the line in hand
    // within a moment has it dropped (and what is queued with it).
    void StopSendClick();
    bool Sending() const { return sending_; }
    // Lets events run until no send runs.
    void WaitForSendEnd();
    void DrawTape(std::uint8_t frame);

    // The main window's part of "&Copy Recieved To Editor": the program
    // becomes an untitled one.
    std::function<void()> OnCopiedToEditor;
    void SetHost(std::unique_ptr<tolva::Host> host) { host_ = std::move(host); }

signals:
    void SendEnded();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    class View;
    struct SendRun;
    void buildControls();
    void terminalEnter();
    void showProgress(int index, const std::string& text);
    // Shows what the sending thread has done since the last look.
    void takeSendNews();
    void finishSend(int generation);
    // Ends a running send at once (the window closes).
    void abortSend();
    QString portText() const;

    tolva::MachineSettings& settings_;
    std::unique_ptr<tolva::Host> host_;
    bool wantCr_ = false;
    bool sending_ = false;
    bool fromOwnDialog_ = false;  // the window last active before this one was our own box
    std::unique_ptr<SendRun> run_;
    std::thread worker_;
    int generation_ = 0;
    QTimer* newsTimer_ = nullptr;
    bool lastSendDone_ = false;
};
