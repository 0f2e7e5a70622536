// Window "Comm": sends the program in the main editor to a machine
// controller or a tape punch, receives a program back, and offers a small
// line terminal with manual DTR and RTS. Created at start and kept for the
// life of the program; connected from each activation until it closes.
//
// The framing, the receive rules and the serial layer live in the core
// (program_send.h, receive_text.h, comm_port_driver.h); this window shows
// them. A send keeps the window alive: its events run while the port's
// queue is full, in the delays and between lines, and "Stop" or Esc ends it.
#pragma once

#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <memory>

#include "base/host.h"
#include "base/shell_window_qt.h"
#include "comm/comm_port_driver.h"

class QCheckBox;
class QEventLoop;
class QLabel;
class QPlainTextEdit;
class QPushButton;
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
    // True when the whole program went out (or was listed).
    bool SendEditorFileClick();
    void RecieveFromRemoteClick();
    void ClearClick();
    void CopyRecievedToEditorClick();
    void CommPortDriver1ReceiveData(const std::uint8_t* DataPtr, std::uint32_t DataSize);
    // Ends a running send after the bytes already queued.
    void StopSendClick();
    bool Sending() const { return sending_; }
    void DrawTape(std::uint8_t frame);

    // The main window's part of "&Copy Recieved To Editor": the program
    // becomes an untitled one.
    std::function<void()> OnCopiedToEditor;
    void SetHost(std::unique_ptr<tolva::Host> host) { host_ = std::move(host); }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    class View;
    void buildControls();
    void terminalEnter();
    void showProgress(int index, const std::string& text);
    void waitMs(int ms);

    tolva::MachineSettings& settings_;
    std::unique_ptr<tolva::Host> host_;
    bool wantCr_ = false;
    bool sending_ = false;
    bool stopRequested_ = false;
    bool fromOwnDialog_ = false;  // the window last active before this one was our own box
    QEventLoop* waitLoop_ = nullptr;
    QElapsedTimer lastBreath_;
};
