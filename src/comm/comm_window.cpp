#include "comm/comm_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <QVBoxLayout>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "base/folders.h"
#include "base/main_editor_qt.h"
#include "base/program_editor_qt.h"
#include "base/qt_host_qt.h"
#include "comm/poll_timer_qt.h"
#include "comm/port_settings.h"
#include "comm/program_send.h"
#include "comm/receive_text.h"
#include "plot/plot_window.h"
#include "settings/label_table.h"
#include "settings/machine_settings.h"
#include "text/compress.h"

namespace {

QString fromBytes(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string toBytes(const QString& s) { return s.toLatin1().toStdString(); }

// The tape picture keeps the newest frames only: older ones have long left
// the punch, and a picture of millions of lines would stall the window.
constexpr int kTapePictureFrames = 10000;
// How often the window shows a running send's progress.
constexpr int kNewsMs = 50;
// How long a stop waits for the machine to take the rest of the line in hand.
constexpr int kStopGraceMs = 2000;

}  // namespace

// What the sending thread and the window share. The thread writes, the
// window takes the news on its timer.
struct TForm5::SendRun {
    int total = 0;  // program lines
    std::atomic<bool> stop{false};
    std::atomic<bool> abort{false};
    std::atomic<std::int64_t> stopAt{0};  // when the stop was asked, by the port's clock
    std::atomic<bool> dropped{false};     // the output wait gave up the line in hand
    std::atomic<int> linesSent{0};
    tolva::SendOutcome outcome = tolva::SendOutcome::Done;  // read after the thread ended

    std::mutex mutex;  // guards what follows
    std::condition_variable wake;
    std::vector<std::string> listing;
    std::deque<std::uint8_t> frames;
    int index = -1;
    std::string text;
};

// The send's view on the sending thread: it only records.
class TForm5::View : public tolva::SendView {
public:
    explicit View(SendRun& run) : run_(run) {}
    void ListLine(const std::string& text) override {
        std::lock_guard lock(run_.mutex);
        run_.listing.push_back(text);
    }
    void Progress(int index, const std::string& text) override {
        std::lock_guard lock(run_.mutex);
        run_.index = index;
        run_.text = text;
    }
    void LinesSent(int count) override { run_.linesSent = count; }
    void DrawTape(std::uint8_t frame) override {
        std::lock_guard lock(run_.mutex);
        run_.frames.push_back(frame);
        if (run_.frames.size() > static_cast<std::size_t>(kTapePictureFrames)) run_.frames.pop_front();
    }
    void Wait(int ms) override {
        std::unique_lock lock(run_.mutex);
        run_.wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return run_.stop.load(); });
    }
    bool Stopped() override { return run_.stop; }

private:
    SendRun& run_;
};

TForm5::TForm5(tolva::MachineSettings& settings, QWidget* parent)
    : ShellWindow("Form5", "Comm", parent),
      CommPortDriver1(std::make_unique<QtPollTimer>()),
      settings_(settings),
      host_(std::make_unique<QtHost>(this)) {
    Form5 = this;
    buildControls();
    CommPortDriver1.OnReceiveData = [this](tolva::TCommPortDriver*, const std::uint8_t* data, std::uint32_t size) {
        CommPortDriver1ReceiveData(data, size);
    };
    // Runs on the sending thread while the port takes nothing: a stop waits
    // a moment for the line in hand, an abort none.
    CommPortDriver1.SetOutputWait([this] {
        SendRun* run = run_.get();
        if (!run || !run->stop) return true;
        if (run->abort || CommPortDriver1.NowMs() - run->stopAt > kStopGraceMs) {
            run->dropped = true;
            return false;
        }
        return true;
    });
    newsTimer_ = new QTimer(this);
    connect(newsTimer_, &QTimer::timeout, this, [this] { takeSendNews(); });
    // A box or dialog of this window (the copy question, the printer) hands
    // the activation back when it closes; that is no new activation, and
    // taking it for one would clear the received text.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* w) {
        if (w && w != windowHandle()) fromOwnDialog_ = windowHandle() && w->transientParent() == windowHandle();
    });
}

TForm5::~TForm5() {
    abortSend();
    CommPortDriver1.Disconnect();
    if (Form5 == this) Form5 = nullptr;
}

void TForm5::buildControls() {
    auto* central = centralWidget();
    auto* layout = new QVBoxLayout(central);

    auto clearButton = [this](QPlainTextEdit*& target, const char* name) {
        auto* b = new QPushButton("CLEAR", this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [&target] { target->clear(); });
        return b;
    };

    auto* top = new QHBoxLayout;
    auto* windows = new QVBoxLayout;
    windows->addWidget(clearButton(RxRichEdit1, "ClearRxButton"));
    RxRichEdit1 = new QPlainTextEdit(this);
    RxRichEdit1->setObjectName("RxRichEdit1");
    RxRichEdit1->setToolTip("Characters coming in from a remote system show here.");
    RxRichEdit1->setUndoRedoEnabled(false);
    windows->addWidget(RxRichEdit1, 2);
    windows->addWidget(clearButton(TxRichEdit1, "ClearTxButton"));
    TxRichEdit1 = new QPlainTextEdit(this);
    TxRichEdit1->setObjectName("TxRichEdit1");
    TxRichEdit1->setToolTip("Anthing typed in this window is sent to the remote system.");
    TxRichEdit1->setUndoRedoEnabled(false);
    windows->addWidget(TxRichEdit1, 1);
    top->addLayout(windows, 3);

    auto* tape = new QGroupBox(" Tape ", this);
    tape->setToolTip("Tape output will show here if selected from the setup window.");
    auto* tapeLayout = new QVBoxLayout(tape);
    Memo3 = new QPlainTextEdit(tape);
    Memo3->setObjectName("Memo3");
    Memo3->setReadOnly(true);
    Memo3->setUndoRedoEnabled(false);
    Memo3->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    tapeLayout->addWidget(Memo3);
    top->addWidget(tape, 1);
    layout->addLayout(top, 1);

    DontTransmit = new QCheckBox("Dont Transmit.  Show output in Lower Window", this);
    DontTransmit->setObjectName("DontTransmit");
    DontTransmit->setToolTip("Used to allow you to see what would have been transmitted. Useful with translate ");
    layout->addWidget(DontTransmit);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name, const char* hint, std::function<void()> action) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        if (*hint) b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, [action] { action(); });
        buttons->addWidget(b);
        return b;
    };
    button("SET DTR", "SetDtrButton", "Set Data Terminal Ready", [this] { CommPortDriver1.SetDtrLine(true); });
    button("CLR DTR", "ClrDtrButton", "Clear Data Terminal Ready", [this] { CommPortDriver1.SetDtrLine(false); });
    button("SET RTS", "SetRtsButton", "Set Request to send", [this] { CommPortDriver1.SetRtsLine(true); });
    button("CLR RTS", "ClrRtsButton", "Clear Request to send", [this] { CommPortDriver1.SetRtsLine(false); });
    SendButton = button("Send the Editor File", "SendButton", "", [this] { SendEditorFileClick(); });
    StopButton = button("Stop", "StopButton", "Stop sending (Esc)", [this] { StopSendClick(); });
    StopButton->setEnabled(false);
    layout->addLayout(buttons);

    StatusText = new QLabel(this);
    StatusText->setObjectName("StatusText");
    statusBar()->addWidget(StatusText, 1);

    QMenu* file = menuBar()->addMenu("File");
    file->addAction("&Send Editor File", this, [this] { SendEditorFileClick(); });
    file->addAction("&Recieve From Remote", this, [this] { RecieveFromRemoteClick(); });
    file->addAction("C&lear", this, [this] { ClearClick(); });
    file->addAction("&Copy Recieved To Editor", this, [this] { CopyRecievedToEditorClick(); });
    file->addAction("Print Form", this, [this] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
        QPixmap shot = grab();
        QPainter p(&printer);
        QRect page = p.viewport();
        p.drawPixmap(QRect(page.topLeft(), shot.size().scaled(page.size(), Qt::KeepAspectRatio)), shot);
    });
    menuBar()->addAction("Help", this, [] {
        std::string page = tolva::FindFileNoCase(tolva::ProgramFolder(), "Tolvamax.Htm");
        QUrl url = QUrl::fromLocalFile(QString::fromLocal8Bit(page.c_str()));
        url.setFragment("TRANSMIT");
        QDesktopServices::openUrl(url);
    });

    RxRichEdit1->installEventFilter(this);
    TxRichEdit1->installEventFilter(this);
    resize(640, 480);
}

// ------------------------------------------------------------- activation

bool TForm5::event(QEvent* e) {
    // A send in progress keeps its connection; a hidden window connects nothing.
    if (e->type() == QEvent::WindowActivate && !sending_ && isVisible() && !fromOwnDialog_) FormActivate();
    return ShellWindow::event(e);
}

void TForm5::FormActivate() {
    if (sending_) return;
    CommPortDriver1.Disconnect();
    RxRichEdit1->clear();
    TxRichEdit1->clear();
    tolva::ConfigurePort(CommPortDriver1, settings_);
    wantCr_ = settings_.Flag("CheckBox1");
    if (CommPortDriver1.Connect()) {
        StatusText->setText(portText());
        TxRichEdit1->setFocus();
    } else {
        StatusText->setText(fromBytes(tolva::ConnectFailureText(CommPortDriver1)));
        host_->Beep();
        TxRichEdit1->setPlainText("Error: Usually the selected port is in use by another program  ");
        RxRichEdit1->setPlainText("Error: You may have selected the same port as the Mouse ");
    }
    settings_.Setaxis();
    RxRichEdit1->appendPlainText(fromBytes(settings_.Labels().Code(0)));
    RxRichEdit1->appendPlainText(QString());
}

QString TForm5::portText() const {
    return "Connected to Comm Port " + QString::number(tolva::PortNumber(CommPortDriver1));
}

void TForm5::closeEvent(QCloseEvent* e) {
    // A send still running ends at a line end, as a stop does.
    StopSendClick();
    WaitForSendEnd();
    CommPortDriver1.Disconnect();
    ShellWindow::closeEvent(e);
}

// ------------------------------------------------------------------ send

void TForm5::showProgress(int index, const std::string& text) {
    QTextCursor c(TxRichEdit1->document()->firstBlock());
    c.movePosition(QTextCursor::StartOfBlock);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.insertText(QString::number(index) + " " + fromBytes(text));
}

void TForm5::StopSendClick() {
    if (!sending_ || !run_) return;
    if (run_->stop) {
        // Asked twice: the line in hand is not waited for.
        run_->abort = true;
        return;
    }
    {
        std::lock_guard lock(run_->mutex);
        run_->stopAt = CommPortDriver1.NowMs();
        run_->stop = true;
    }
    run_->wake.notify_all();
    StatusText->setText("Stopping: the line in hand goes out whole");
}

void TForm5::abortSend() {
    if (!sending_ || !run_) return;
    {
        std::lock_guard lock(run_->mutex);
        run_->stopAt = CommPortDriver1.NowMs();
        run_->stop = true;
        run_->abort = true;
    }
    run_->wake.notify_all();
    finishSend(generation_);
}

void TForm5::WaitForSendEnd() {
    if (!sending_) return;
    QEventLoop loop;
    connect(this, &TForm5::SendEnded, &loop, &QEventLoop::quit);
    loop.exec();
}

void TForm5::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && sending_) {
        StopSendClick();
        return;
    }
    ShellWindow::keyPressEvent(e);
}

bool TForm5::SendEditorFileClick() {
    if (sending_) return false;
    MainEditorAccess* main = MainWindowAccess;
    ProgramEditor* editor = main ? main->MainEditor() : nullptr;
    if (!editor) return false;
    // The send works on a copy: the program in the editor is never touched,
    // and may be edited while it goes out.
    std::vector<std::string> lines = editor->Lines();
    tolva::SendOptions options =
        tolva::SendOptionsFromSettings(settings_, toBytes(editor->window()->windowTitle()));
    options.dontTransmit = DontTransmit->isChecked();
    // A port that is not open takes nothing and says nothing.
    if (!options.dontTransmit && !CommPortDriver1.IsConnected()) return false;
    // The translation table is read on the sending thread: it goes along as a copy.
    auto table = options.translate ? std::make_shared<tolva::LabelTable>(*options.translate) : nullptr;
    options.translate = table.get();

    TxRichEdit1->clear();
    RxRichEdit1->clear();
    Memo3->clear();
    sending_ = true;
    lastSendDone_ = false;
    SendButton->setEnabled(false);
    StopButton->setEnabled(true);
    run_ = std::make_unique<SendRun>();
    run_->total = static_cast<int>(lines.size());
    const int generation = ++generation_;
    worker_ = std::thread([this, run = run_.get(), generation, table, options = std::move(options),
                           lines = std::move(lines)] {
        View view(*run);
        tolva::PortSink sink(CommPortDriver1);
        run->outcome = tolva::SendProgram(lines, options, sink, view);
        QMetaObject::invokeMethod(this, [this, generation] { finishSend(generation); }, Qt::QueuedConnection);
    });
    newsTimer_->start(kNewsMs);
    WaitForSendEnd();
    return lastSendDone_;
}

void TForm5::takeSendNews() {
    if (!run_) return;
    std::vector<std::string> listing;
    std::deque<std::uint8_t> frames;
    int index = -1;
    std::string text;
    {
        std::lock_guard lock(run_->mutex);
        listing.swap(run_->listing);
        frames.swap(run_->frames);
        index = run_->index;
        text = run_->text;
        run_->index = -1;
    }
    for (const std::string& line : listing) TxRichEdit1->appendPlainText(fromBytes(line));
    for (std::uint8_t frame : frames) DrawTape(frame);
    if (index >= 0) showProgress(index, text);
    if (!run_->stop && !DontTransmit->isChecked()) {
        const int sent = run_->linesSent;
        const int total = std::max(run_->total, 1);
        StatusText->setText(QString("Sending: %1 of %2 lines sent (%3 %)")
                                .arg(sent)
                                .arg(run_->total)
                                .arg(static_cast<int>(100LL * sent / total)));
    }
}

void TForm5::finishSend(int generation) {
    if (generation != generation_ || !sending_) return;
    if (worker_.joinable()) worker_.join();
    newsTimer_->stop();
    takeSendNews();
    const tolva::SendOutcome outcome = run_->outcome;
    const int sent = run_->linesSent;
    const QString where = QString("%1 of %2 lines sent").arg(sent).arg(run_->total);
    const bool dropped = run_->dropped;
    run_.reset();
    sending_ = false;
    SendButton->setEnabled(true);
    StopButton->setEnabled(false);
    lastSendDone_ = outcome == tolva::SendOutcome::Done;
    if (outcome == tolva::SendOutcome::TimedOut) {
        host_->Beep();
        setWindowTitle(tolva::kTimeoutCaption);
        // A device that failed says why; a plain timeout tells how long.
        const std::string& error = CommPortDriver1.LastError();
        const QString reason =
            !error.empty() ? fromBytes(error)
                           : QString("the machine took no characters for %1 s").arg(CommPortDriver1.OutputTimeout() / 1000.0);
        CommPortDriver1.Disconnect();
        StatusText->setText("Not connected: " + reason + "; " + where);
    } else if (outcome == tolva::SendOutcome::Stopped) {
        QString text = "Send stopped: " + where;
        if (dropped) {
            // The rest of that line would reach the machine after the stop.
            CommPortDriver1.PurgeBuffers(false, true);
            text += "; the machine did not take the rest of the next line";
        }
        StatusText->setText(text + "; " + portText());
    } else if (!DontTransmit->isChecked()) {
        StatusText->setText(portText() + "; " + where);
    }
    emit SendEnded();
}

void TForm5::DrawTape(std::uint8_t frame) {
    QTextCursor c(Memo3->document());
    c.movePosition(QTextCursor::Start);
    if (Memo3->document()->isEmpty())
        c.insertText(fromBytes(tolva::TapeFrameText(frame)));
    else
        c.insertText(fromBytes(tolva::TapeFrameText(frame)) + "\n");
    if (Memo3->document()->blockCount() > kTapePictureFrames) {
        QTextCursor last(Memo3->document()->lastBlock());
        last.movePosition(QTextCursor::PreviousBlock);
        last.movePosition(QTextCursor::EndOfBlock);
        last.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        last.removeSelectedText();
    }
}

// --------------------------------------------------------------- receive

void TForm5::RecieveFromRemoteClick() {
    settings_.Setaxis();
    RxRichEdit1->clear();
    TxRichEdit1->setPlainText("Ready to recieve");
    RxRichEdit1->appendPlainText(fromBytes(settings_.Labels().Code(0)));
    RxRichEdit1->appendPlainText(QString());
}

void TForm5::CommPortDriver1ReceiveData(const std::uint8_t* DataPtr, std::uint32_t DataSize) {
    QTextDocument* doc = RxRichEdit1->document();
    const std::string last = toBytes(doc->lastBlock().text());
    const std::vector<std::string> lines = tolva::ReceivedLines(
        doc->isEmpty() ? nullptr : &last, std::string_view(reinterpret_cast<const char*>(DataPtr), DataSize));
    if (lines.empty()) return;
    QTextCursor c(doc->lastBlock());
    c.beginEditBlock();
    c.movePosition(QTextCursor::StartOfBlock);
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.insertText(fromBytes(lines.front()));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        c.insertBlock();
        c.insertText(fromBytes(lines[i]));
    }
    c.endEditBlock();
    RxRichEdit1->ensureCursorVisible();
}

void TForm5::ClearClick() {
    RxRichEdit1->clear();
    TxRichEdit1->clear();
}

void TForm5::CopyRecievedToEditorClick() {
    MainEditorAccess* main = MainWindowAccess;
    ProgramEditor* editor = main ? main->MainEditor() : nullptr;
    if (!editor) return;
    RxRichEdit1->setFocus();
    if (editor->LineCount() > 0 && !host_->AskYesNo("Over Write the Old file")) return;
    // Moved through the clipboard: the receive window is empty afterwards
    // and the clipboard holds the text.
    const QString text = RxRichEdit1->toPlainText();
    QApplication::clipboard()->setText(text);
    RxRichEdit1->clear();
    std::vector<std::string> lines;
    for (const QString& line : text.split('\n')) lines.push_back(toBytes(line));
    if (text.isEmpty()) lines.clear();
    if (settings_.Flag("StripBlankCheckBox")) tolva::RemoveDup(0, lines, settings_.Setaxis());
    editor->SetLines(lines);
    if (OnCopiedToEditor) OnCopiedToEditor();
    if (Form2) Form2->Redraw();
}

// -------------------------------------------------------------- terminal

bool TForm5::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (k->key() == Qt::Key_Escape && sending_) {
            StopSendClick();
            return true;
        }
        if (enter && obj == TxRichEdit1) terminalEnter();
        if (enter && obj == RxRichEdit1 && !wantCr_) return true;
    }
    return ShellWindow::eventFilter(obj, e);
}

void TForm5::terminalEnter() {
    // During a send the terminal's bytes would land inside the program.
    if (!CommPortDriver1.IsConnected() || sending_) return;
    QTextDocument* doc = TxRichEdit1->document();
    if (!doc->isEmpty()) {
        const std::string line = toBytes(doc->lastBlock().text());
        if (!line.empty()) CommPortDriver1.SendBytes(line.data(), static_cast<int>(line.size()));
    }
    const std::uint8_t cr = 13;
    CommPortDriver1.SendBytes(&cr, 1);
}
