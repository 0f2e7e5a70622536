#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/app_state.h"
#include "app/gcode_lexer_qt.h"
#include "app/recent_files.h"
#include "app/document.h"
#include "app/program_listing.h"
#include "base/flow_layout_qt.h"
#include "base/folders.h"
#include "base/program_editor_qt.h"
#include "app/array_menu_qt.h"
#include "app/ascii_window.h"
#include "app/edit_ops_window.h"
#include "app/find_window.h"
#include "app/offset_menu_qt.h"
#include "app/order_menu_qt.h"
#include "base/qt_host_qt.h"
#include "plot/plot_window.h"
#include "settings/ini_file.h"
#include "settings/machine_settings.h"
#include "settings/setup_window.h"
#include "text/program_units.h"

TForm1* Form1 = nullptr;

namespace {

// Where the maker's pages live; opened in the system's web browser.
const char* kManualAddress = "https://tolva.example.org/manual/Tolva-manual.pdf";
const char* kWebAddress = "https://tolva.example.org/";

QString fromBytes(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
std::string toBytes(const QString& s) { return s.toLocal8Bit().toStdString(); }

// Operations that arrive with later steps are present but disabled.
const std::function<void()> kLater;

// A longer name is refused whole: cut, it would name another file.
constexpr int kMaxFileName = static_cast<int>(tolva::kMaxFileName);

std::string tooLongMessage(const QString& name) { return tolva::FileNameTooLongMessage(toBytes(name)); }

}  // namespace

TForm1::TForm1(tolva::MachineSettings& settings, QStringList args, QWidget* parent)
    : QMainWindow(parent), settings_(settings), args_(std::move(args)), host_(std::make_unique<QtHost>(this)) {
    Form1 = this;
    MainWindowAccess = this;
    setObjectName("Form1");
    setWindowTitle("Tolva [V30.08 Untitled]");
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ToolPanel = new QWidget(central);
    ToolPanel->setObjectName("Panel1");
    ToolPanel->setFixedHeight(57);
    layout->addWidget(ToolPanel);

    RichEdit1 = new ProgramEditor(central);
    RichEdit1->setObjectName("RichEdit1");
    QFont font("System");
    font.setBold(true);
    font.setPixelSize(12);
    RichEdit1->setFont(font);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(RichEdit1, 1);

    RichEdit2 = new ProgramEditor(central);
    RichEdit2->setObjectName("RichEdit2");
    RichEdit2->hide();
    Memo4 = new QPlainTextEdit(central);
    Memo4->setObjectName("Memo4");
    Memo4->hide();
    FileListBox1 = new QListWidget(central);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->hide();
    setCentralWidget(central);
    statusBar()->setObjectName("StatusBar1");

    buildToolBar();
    buildMenus();

    // The editor reports every mouse press/release and key release.
    RichEdit1->installEventFilter(this);
    RichEdit1->viewport()->installEventFilter(this);
    RichEdit1->viewport()->setAcceptDrops(true);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { popup_->exec(RichEdit1->mapToGlobal(p)); });

    UnitsLabel = new QLabel(this);
    UnitsLabel->setObjectName("UnitsLabel");
    statusBar()->addPermanentWidget(UnitsLabel);
    recent_ = tolva::LoadRecentFiles(settings_.ProgramFolder());
    refreshRecentMenu();
    lexer_ = new GcodeLexer(RichEdit1);
    RichEdit1->setLexer(lexer_);

    SetHintsOn(true);
    followSettings();
    followMachine();
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(MainWindowRect(screen->availableGeometry()));
}

TForm1::~TForm1() {
    unfollowSettings();
    if (machineListener_) settings_.Unsubscribe(machineListener_);
    if (Form1 == this) Form1 = nullptr;
    if (MainWindowAccess == this) MainWindowAccess = nullptr;
}

int TForm1::SelStartLine() const { return tolva::App().SelStartLine; }
int TForm1::SelLineCount() const { return tolva::App().SelLineCount; }

void TForm1::SetHost(std::unique_ptr<tolva::Host> host) { host_ = std::move(host); }

QAction* TForm1::addItem(QMenu* menu, const QString& caption, const QString& shortcut, std::function<void()> action,
                         const QString& hint) {
    auto* a = new QAction(caption, this);
    if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut));
    a->setShortcutContext(Qt::WindowShortcut);
    if (!hint.isEmpty()) {
        a->setStatusTip(hint);
        a->setToolTip(hint);
    }
    if (action)
        connect(a, &QAction::triggered, this, [action] { action(); });
    else
        a->setEnabled(false);
    if (menu)
        menu->addAction(a);
    else
        menuBar()->addAction(a);
    addAction(a);  // shortcuts work wherever the focus is in this window
    actions_.append(a);
    return a;
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("&File");
    addItem(file, "&New", "Ctrl+N", [this] { FileNewClick(); });
    // The desktop's own keys come first; the function keys stay as well.
    addItem(file, "&Open ...", "Ctrl+O", [this] { FileOpenClick(); })->setShortcuts({QKeySequence("Ctrl+O"), QKeySequence("F4")});
    addItem(file, "&Save", "Ctrl+S", [this] { FileSaveClick(); })->setShortcuts({QKeySequence("Ctrl+S"), QKeySequence("F2")});
    addItem(file, "Save &As ...", "Ctrl+Shift+S", [this] { FileSaveAsClick(); })
        ->setShortcuts({QKeySequence("Ctrl+Shift+S"), QKeySequence("Ctrl+F2")});
    addItem(file, "Save As DXF Circles, Arcs,Lines", "Ctrl+F3", [this] { SaveAsDxfClick(false); });
    addItem(file, "Save As DXF Lines Only Simple", "", [this] { SaveAsDxfClick(true); });
    addItem(file, "Save As DXF Points only ( Special )", "", [this] { SaveDxfPointsClick(); });
    addItem(file, "Save + Split the File  (Special )", "", [this] { SaveSplitClick(); });
    addItem(file, "&Print Text", "Ctrl+P", [this] { PrintTextClick(); });
    addItem(file, "Print &Window", "Ctrl+Shift+W", [this] { PrintWindowClick(); });
    addItem(file, "Print P&lot", "Ctrl+L", [this] { PrintPlotClick(); });
    addItem(file, "Print S&etup", "Ctrl+E", [this] { PrintSetupClick(); });
    recentMenu_ = file->addMenu("Recent &Files");
    recentMenu_->setObjectName("RecentMenu");
    file->addSeparator();
    addItem(file, "E&xit", "Ctrl+Q", [this] { ExitClick(); });

    QMenu* edit = bar->addMenu("&Edit");
    QAction* undo = addItem(edit, "&Undo", "Ctrl+Z", [this] { UndoClick(); });
    undo->setShortcuts({QKeySequence("Ctrl+Z"), QKeySequence("Ctrl+U")});
    addItem(edit, "&Redo", "Ctrl+Shift+Z", [this] { RedoClick(); })
        ->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    addItem(edit, "Select All", "Ctrl+A", [this] {
        RichEdit1->selectAll();
        ShowLineNum2(RichEdit1, this);
    });
    QAction* cut = addItem(edit, "Cu&t", "Ctrl+X", [this] { RichEdit1->cut(); });
    QAction* copy = addItem(edit, "&Copy", "Ctrl+C", [this] { RichEdit1->copy(); });
    QAction* paste = addItem(edit, "&Paste", "Ctrl+V", [this] { RichEdit1->paste(); });
    QAction* del = addItem(edit, "&Delete", "Ctrl+Del", [this] { RichEdit1->removeSelectedText(); });
    // Ctrl+S saves and Ctrl+Shift+S is Save As: the block reversal moves to Ctrl+Alt+S.
    QAction* swap = addItem(edit, "&Swap", "Ctrl+Alt+S", [this] { SwapClick(*this, settings_); },
                            "Swap travel direction of highlighted block");
    QAction* compress = addItem(edit, "Compress", "Ctrl+Alt+C", [this] { CompressClick(*this, settings_, 0); });
    addItem(edit, "Super Compress", "", [this] { CompressClick(*this, settings_, 1); },
            "Warning Some Tolva functions will not work on a super compressed files");
    QAction* addNum = addItem(edit, "&Add Line Numbers", "Ctrl+Alt+N", [this] { AddLineNumbersClick(); });
    QAction* remNum = addItem(edit, "&Remove Line Numbers", "Ctrl+Alt+R", [this] { RemoveLineNumbersClick(); });
    QAction* g91 = addItem(edit, "Convert to Incremental G91", "", [this] { ConvertToIncrementalClick(); });
    QAction* g90 = addItem(edit, "Convert to Absolute     G90", "", [this] { ConvertToAbsoluteClick(); });
    QAction* toMetric = addItem(edit, "Inch to Metric", "", [this] { InchToMetricClick(); });
    QAction* toInch = addItem(edit, "Metric to Inch", "", [this] { MetricToInchClick(); });

    QMenu* misc = bar->addMenu("&Misc");
    addItem(misc, "Move starting point Forward on highlighted code", "",
            [this] { MoveStartForwardClick(*this, settings_); }, "Moves on highlited block usually start cut to stop cut");
    addItem(misc, "Add Chars  to line end", "", [this] { AddLineEndsClick(); });
    addItem(misc, "Remove Chars from line end", "", [this] { RemoveLineEndsClick(); });
    addItem(misc, "Pack the file remove all spaces", "", [this] { PackClick(); });
    addItem(misc, "Remove Comments enclosed by labels (71-72)", "", [this] { RemoveCommentsClick(); },
            "See Labels and Translate Table Lines 71 - 72");
    addItem(misc, "Sort Objects Acending", "Ctrl+Shift+A",
            [this] { SortObjectsClick(*this, settings_, tolva::ObjectOrder::Ascending); },
            "Smallest closed paths move to the top");
    addItem(misc, "Sort Objects Decending", "Ctrl+D",
            [this] { SortObjectsClick(*this, settings_, tolva::ObjectOrder::Descending); },
            "Smallest closed paths move to the bottom");
    addItem(misc, "Largest Object to bottom Only", "Ctrl+B", [this] { LargestToBottomClick(*this, settings_); },
            "Only moves the longest path so interior cuts are done first.");
    addItem(misc, "Line Order N G M X Y Z I J K R", "Ctrl+Shift+O", [this] { OrderLinesMFirstClick(); });
    addItem(misc, "Line Order N G X Y Z I J K R M", "Ctrl+Alt+L", [this] { OrderLinesMLastClick(); });
    addItem(misc, "Translate Using table from setup window", "Ctrl+T", [this] { TranslateRows(29, 69); },
            "See Setup Labels line 30 on From : To");
    addItem(misc, "Edit Translate table", "Ctrl+Alt+T", [this] { EditTranslateTableClick(); });
    addItem(misc, "Edit current line as Decimal Ascii", "Ctrl+I", [] {
        if (Form7) Form7->ShowWithLine();
    });

    QMenu* search = bar->addMenu("&Search");
    addItem(search, "&Find ...", "Ctrl+F", [this] { FindClick(*this); });
    addItem(search, "Find &Next", "F3", [this] { FindNextClick(*this); });
    addItem(search, "&Replace ...", "Ctrl+R", [this] { ReplaceClick(*this); });
    addItem(search, "Insert Lines", "Ctrl+Alt+I", [] {
        if (Form7) Form7->ShowWithLine();
    });

    addItem(nullptr, "&Comm ", "F6", [this] { CommClick(); });
    addItem(nullptr, "Array", "", [this] { ArrayClick(*this); });
    addItem(nullptr, "Offset", "", [this] { OffsetClick(*this); });

    QMenu* setup = bar->addMenu("S&etup");
    addItem(setup, "Use Another Layer", "F12", [this] { UseAnotherLayerClick(); });
    addItem(setup, "&Use another Machine INI File", "F11", [this] { UseAnotherIniClick(); });
    addItem(setup, "Edit or Create a New &INI File", "F10", [this] { EditIniClick(); });
    addItem(setup, "Default Windows", "F9", [this] { DefaultWindowsClick(); });
    addItem(setup, "Download Manual", "", [] { QDesktopServices::openUrl(QUrl(kManualAddress)); });
    addItem(setup, "Goto Tolva Web site", "", [] { QDesktopServices::openUrl(QUrl(kWebAddress)); });
    addItem(setup, "Hints Off", "", [this] { HintsOffClick(); });

    addItem(nullptr, "&Help", "F1", [this] { HelpClick(); });

    // The editor's pop-up: the same operations under their short names.
    popup_ = new QMenu(this);
    popup_->setObjectName("PopupMenu1");
    const std::pair<const char*, QAction*> popupItems[] = {
        {"Undo", undo},           {"Cut", cut},
        {"Copy", copy},           {"Paste", paste},
        {"Delete", del},          {"Swap", swap},
        {"Compress", compress},   {"Add Line Numbers", addNum},
        {"Remove Numbers", remNum}, {"Convert to  G91", g91},
        {"Convert to  G90", g90}, {"Inch to Metric", toMetric},
        {"Metric to Inch", toInch}};
    for (const auto& [caption, target] : popupItems) {
        QAction* a = popup_->addAction(caption);
        a->setEnabled(target->isEnabled());
        connect(target, &QAction::changed, a, [a, target] { a->setEnabled(target->isEnabled()); });
        connect(a, &QAction::triggered, target, &QAction::trigger);
    }

    // The editor gives way to every key a menu item owns.
    std::set<int> keys;
    for (QAction* a : actions_)
        for (const QKeySequence& ks : a->shortcuts())
            if (!ks.isEmpty()) keys.insert(ks[0].toCombined());
    RichEdit1->SetReservedKeys(keys);
}

void TForm1::buildToolBar() {
    // Two rows of buttons fit the panel's 57 pixels: in a narrow window
    // (half of a 1366-pixel screen) the buttons wrap instead of widening it.
    auto* bar = new FlowLayout(ToolPanel, 2);
    bar->setContentsMargins(4, 2, 4, 2);
    auto button = [&](const QString& text, const QString& hint, std::function<void()> action) {
        auto* b = new QToolButton(ToolPanel);
        b->setText(text);
        b->setToolTip(hint);
        b->setStatusTip(hint);
        b->setAutoRaise(true);
        b->setFixedSize(std::max(30, b->fontMetrics().horizontalAdvance(text) + 10), 25);
        if (action)
            connect(b, &QToolButton::clicked, this, [action] { action(); });
        else
            b->setEnabled(false);
        bar->addWidget(b);
        return b;
    };
    button("Open", "Open", [this] { FileOpenClick(); })->setObjectName("OpenButton");
    button("Save", "Save", [this] { FileSaveClick(); })->setObjectName("SaveButton");
    button("Save As", "Save As", [this] { FileSaveAsClick(); })->setObjectName("SaveAsButton");
    button("Print", "Print Text", [this] { PrintTextClick(); })->setObjectName("PrintTextButton");
    button("Plot", "Plot the program", [this] { PlotClick(); })->setObjectName("PlotButton");
    button("PPlot", "Print Plot High resolution", [this] { PrintPlotClick(); })->setObjectName("PrintPlotButton");
    button("Cut", "Cut", [this] { RichEdit1->cut(); })->setObjectName("CutButton");
    button("Copy", "Copy", [this] { RichEdit1->copy(); })->setObjectName("CopyButton");
    button("Paste", "Paste", [this] { RichEdit1->paste(); })->setObjectName("PasteButton");
    button("Del", "Delete", [this] { RichEdit1->removeSelectedText(); })->setObjectName("DeleteButton");
    button("Cmp", " Compress the file removing duplicate lines", [this] { CompressClick(*this, settings_, 0); })->setObjectName("CompressButton");
    button("Find", "Find", [this] { FindClick(*this); })->setObjectName("FindButton");
    button("INI", " Use new INI ", [this] { UseAnotherIniClick(); })->setObjectName("IniButton");
    button("Undo", "Undo last text edit", [this] { UndoClick(); })->setObjectName("UndoButton");
    button("T1", "Translate using first half of table lines 30-49", [this] { TranslateRows(29, 49); })->setObjectName("T1Button");
    button("T2", "Translate using second half of table lines 50-69", [this] { TranslateRows(49, 69); })->setObjectName("T2Button");
    button("Send", "Send the file to a remote system", [this] { SendTheFileClick(); })->setObjectName("SendButton");

    Label1 = new QLabel("The present ini file", ToolPanel);
    Label1->setObjectName("Label1");
    // A long machine-file path must not widen the window past the screen:
    // the tool bar gives it at most its own width.
    Label1->setMinimumWidth(40);
    bar->addWidget(Label1);
    Gauge1 = new QProgressBar(ToolPanel);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 1000);
    Gauge1->setMaximumWidth(160);
    Gauge1->hide();
    bar->addWidget(Gauge1);
    Panel2 = new QLabel("Pos [ ] Sel [ ]", ToolPanel);
    Panel2->setObjectName("Panel2");
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(Panel2);
}

QAction* TForm1::ActionByText(const QString& caption) const {
    for (QAction* a : actions_)
        if (a->text() == caption) return a;
    return nullptr;
}

void TForm1::SetHintsOn(bool on) {
    hintsOn_ = on;
    if (on)
        qApp->removeEventFilter(this);
    else
        qApp->installEventFilter(this);
}

// ---------------------------------------------------------------- documents

const tolva::Letters& TForm1::Setaxis() {
    letters_ = lettersInForce();
    return letters_;
}

bool TForm1::Load_file(const QString& name) {
    Setaxis();
    const std::string path = toBytes(name);
    const bool drawing = tolva::UpperExtension(path) == ".DXF";
    const QString caption = windowTitle();
    const bool importing = drawing && tolva::FileExists(path);
    if (importing) {
        // The import reports its progress on the gauge.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Gauge1->setValue(0);
        Gauge1->show();
        setCaption("Reading Dxf");
    }
    tolva::Document doc;
    tolva::LoadOutcome r;
    {
        tolva::PlotState fallback;
        tolva::OperationContext ctx = MenuOperationContext(*this, settings_, *host_, fallback);
        r = tolva::LoadDocument(path, ctx, doc);
    }
    if (importing) {
        Gauge1->hide();
        setCaption(caption);
        QApplication::restoreOverrideCursor();
    }
    if (r.drawing) {
        QStringList layers;
        for (const auto& l : r.layers) layers << QString::fromLocal8Bit(l.c_str());
        Memo4->setPlainText(layers.join('\n'));
    }
    if (r.kind == tolva::LoadOutcome::NoUsableData) {
        // Nothing of the chosen layer: show what the drawing has and take the
        // user to the layer setting. The editor is left empty.
        if (Form2) Form2->FlatClick();
        Memo4->show();
        showMessage(r.message);
        UseAnotherLayerClick();
        Memo4->clear();
        Memo4->hide();
        RichEdit1->LoadBytes({});
        setCaption("Tolva - [Untitled]");
        openFileName_.clear();
        return false;
    }
    if (r.kind != tolva::LoadOutcome::Loaded) {
        // The program in the editor stays as it was.
        showMessage(r.message);
        return false;
    }
    if (Form2) Form2->FlatClick();
    RichEdit1->setFont(editorFont());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RichEdit1->LoadBytes(doc.Text());
    finishLoad(doc.name);
    rememberRecent(path);
    QApplication::restoreOverrideCursor();
    if (!r.message.empty()) showMessage(r.message);
    return true;
}

void TForm1::finishLoad(const std::string& name) {
    if (RichEdit1->LineCount() > 0) {
        CalcScale(RichEdit1);
        if (Form2) Form2->FitOnNextPlot();

        RichEdit1->SetCaret(0);
        tolva::App().CurrentFileName = name;
        setCaption(QString::fromLocal8Bit(tolva::BaseName(name).c_str()));
        openFileName_ = " ";
    } else {
        setCaption("Tolva - [Untitled]");
        openFileName_.clear();
    }
}

void TForm1::FileNewClick() {
    DefaultWindowsClick();
    if (!SaveoldFile()) return;
    if (Form2) Form2->EnableSpinFlipFlop();
    RichEdit1->LoadBytes({});
    openFileName_.clear();
    setCaption("Tolva - [Untitled]");
}

void TForm1::FileOpenClick() {
    Panel2->hide();
    if (Form2) Form2->EnableSpinFlipFlop();
    if (!SaveoldFile()) {
        Panel2->show();
        return;
    }
    QString dir = openInitialDir_;
    if (dir.isEmpty() && openInCurrentDir_) dir = QDir::currentPath();
    QString picked = AskOpenPath(dir);
    // Only a program that was loaded starts unmodified: after a cancel or a
    // refused file the editor still holds the edits it held.
    if (!picked.isEmpty() && Load_file(picked)) {
        QDir::setCurrent(QFileInfo(picked).absolutePath());
        RichEdit1->ClearModified();
    }
    Panel2->show();
    openInitialDir_.clear();
    openInCurrentDir_ = false;
}

bool TForm1::SaveoldFile() {
    if (RichEdit1->IsModified() && RichEdit1->LineCount() >= 2) {
        // The offset and array windows would hide the question.
        for (const char* name : {"Form8", "Form9"})
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == name) w->hide();
        if (host_->AskYesNo("File has been modified. Save file?")) return FileSaveClick();
    }
    return true;
}

bool TForm1::FileSaveClick() {
    const std::string& current = tolva::App().CurrentFileName;
    if (current.empty()) return FileSaveAsClick();
    if (tolva::FileExists(current)) return host_->AskYesNo("Overwrite " + current + " ") && SaveTheFile();
    return SaveTheFile();
}

bool TForm1::SaveTheFile() { return saveProgramTo(tolva::App().CurrentFileName); }

bool TForm1::saveProgramTo(const std::string& path) {
    tolva::FileStatus st = tolva::WriteFileAtomic(path, RichEdit1->BytesView());
    if (!st.ok) {
        // The editor keeps its program and stays modified.
        showMessage(st.message);
        return false;
    }
    if (Form2) Form2->setWindowTitle("Saved & Archive bit set");
    host_->Beep();
    RichEdit1->ClearModified();
    return true;
}

QString TForm1::AskOpenPath(const QString& folder) {
    return QFileDialog::getOpenFileName(this, "Open", folder,
                                        "All Files (*.*);;Autocad Dxf files (*.DXF *.dxf);;Text files (*.TXT *.txt)");
}

QString TForm1::AskSavePath(const QString& title, const QString& current) {
    return QFileDialog::getSaveFileName(this, title, current, "All Files (*.*);;Dxf Files(*.dxf);;Text Files (*.txt)");
}

bool TForm1::FileSaveAsClick() {
    QString current = QString::fromLocal8Bit(tolva::App().CurrentFileName.c_str());
    QString picked = AskSavePath("Save As " + current, current);
    if (picked.isEmpty()) return false;
    if (picked.size() > kMaxFileName) {
        showMessage(tooLongMessage(picked));
        return false;
    }
    std::string path = toBytes(picked);
    // A DXF name writes the plot as a drawing; the program keeps its name.
    if (tolva::UpperExtension(path) == ".DXF") return WriteDxfOfPlot(path, false);
    // The new name becomes the program's only once the program is in it: a
    // failed save leaves "&Save" aimed where it was.
    if (!saveProgramTo(path)) return false;
    tolva::App().CurrentFileName = path;
    setCaption(QFileInfo(picked).fileName());
    rememberRecent(path);
    return true;
}

QPrinter& TForm1::Printer() {
    // High resolution: a printed plot is stretched to the page in printer pixels.
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TForm1::PrintSetupClick() {
    QPrintDialog dlg(&Printer(), this);
    dlg.exec();
}

void TForm1::PrintTextClick() { PrintText(Printer()); }

void TForm1::PrintText(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        showMessage("The printer could not be opened.");
        return;
    }
    painter.setFont(RichEdit1->font());
    QFontMetrics fm(painter.font(), &printer);
    const int lineHeight = fm.lineSpacing();
    const int pageHeight = painter.viewport().height();
    int page = 1, headerPage = 0, y = 0;
    auto println = [&](const std::string& text) {
        if (y + lineHeight > pageHeight) {
            printer.newPage();
            ++page;
            y = 0;
        }
        painter.drawText(0, y + fm.ascent(), fromBytes(text));
        y += lineHeight;
    };
    const std::vector<std::string> lines = RichEdit1->Lines();
    QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    QString time = QLocale().toString(QTime::currentTime(), QLocale::LongFormat);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (y + lineHeight > pageHeight) {
            printer.newPage();
            ++page;
            y = 0;
        }
        if (page != headerPage) {
            for (const auto& h : tolva::PrintHeaderLines(static_cast<int>(i), toBytes(date), toBytes(time),
                                                         tolva::App().CurrentFileName))
                println(h);
            headerPage = page;
        }
        println(tolva::kPrintIndent + lines[i]);
    }
    painter.end();
}

void TForm1::CalcScale(ProgramEditor* editor) { calcScale(editor, false, true); }

void TForm1::CalcScale2(ProgramEditor* editor, bool extentsOnly) { calcScale(editor, true, !extentsOnly); }

void TForm1::calcScale(ProgramEditor* editor, bool keepExtents, bool setScale) {
    if (setScale && Form2) Form2->SpinEdit1->setValue(1000);
    tolva::Extents e = tolva::MeasureExtents(editor->BytesView(), letters_);
    if (keepExtents) tolva::App().extents = e;
    if (!setScale || !Form2) return;
    // 0: no extents, the scale stays; otherwise within the field's range.
    const long long scale = tolva::ScaleForExtents(e, Form2->CanvasWidth());
    if (scale > 0) Form2->SpinEdit1->setValue(static_cast<int>(scale));
}

// -------------------------------------------------------------- line ops

void TForm1::OrderLinesMFirstClick() {
    Setaxis();
    RunMenuOperation(*this, settings_, "Line Order N G M X Y Z I J K R");
}

void TForm1::OrderLinesMLastClick() {
    Setaxis();
    RunMenuOperation(*this, settings_, "Line Order N G X Y Z I J K R M");
}

// ------------------------------------------------------------ indicator

void TForm1::ShowLineNum2(ProgramEditor* editor, QWidget* window) {
    int start = editor->SelStart();
    int len = editor->SelLength();
    int first = editor->LineOfPos(start);
    int last = start + len - 1 < 0 ? -1 : editor->LineOfPos(start + len - 1);
    if (start + len - 1 < 0) last = first - 1;  // caret at the very start: count 0
    int column = start - editor->PosOfLine(first);
    tolva::BlockPosition b = tolva::ShowLineNumText(first, last, column);
    if (Form7) Form7->hide();
    if (window == this) {
        tolva::App().SelStartLine = b.selStartLine;
        tolva::App().SelLineCount = b.selLineCount;
        Panel2->setText(QString::fromStdString(b.text));
        caretMoved(first);
    }
}

// ------------------------------------------------------------- windows

QRect TForm1::MainWindowRect(const QRect& area) {
    // A tenth of the area's height from its top, 80 % of it high, half of its
    // width wide, frame included: side by side, the main and plot windows
    // fill the area's width without passing its edges.
    const QMargins f = frameMargins();
    const QRect outer(area.x(), area.y() + area.height() / 10, area.width() / 2, area.height() * 8 / 10);
    return outer.marginsRemoved(f);
}

QMargins TForm1::frameMargins() const {
    const QRect fg = frameGeometry(), g = geometry();
    if (!isVisible() || fg == g) return {};
    return QMargins(g.left() - fg.left(), g.top() - fg.top(), fg.right() - g.right(), fg.bottom() - g.bottom());
}

void TForm1::DefaultWindowsClick() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    PlaceDefaultWindows(screen->availableGeometry());
}

void TForm1::PlaceDefaultWindows(const QRect& area) {
    setWindowState(Qt::WindowNoState);
    setGeometry(MainWindowRect(area));
    if (Form2) {
        Form2->setWindowState(Qt::WindowNoState);
        const QRect mine = frameGeometry().isValid() && isVisible() ? frameGeometry() : geometry();
        const QMargins f = frameMargins();
        const int left = mine.right() + 1;
        Form2->setGeometry(QRect(left, mine.top(), area.right() + 1 - left, mine.height()).marginsRemoved(f));
        if (isVisible()) Form2->show();
    }
    if (Form3) {
        // At the top of the area, within it, frame included.
        const QRect fg = Form3->frameGeometry(), g = Form3->geometry();
        const QMargins f = Form3->isVisible() ? QMargins(g.left() - fg.left(), g.top() - fg.top(),
                                                         fg.right() - g.right(), fg.bottom() - g.bottom())
                                              : QMargins();
        const QSize room = area.size().shrunkBy(f);
        const QSize size = Form3->DefaultSizeOnScreen().boundedTo(room);
        const int x = std::clamp(Form3->x(), area.x() + f.left(), area.right() + 1 - f.right() - size.width());
        Form3->setGeometry(QRect(QPoint(x, area.y() + f.top()), size));
    }
    if (Form2) {
        Form2->PlotAll(RichEdit1, true, true, 460, 100);
        Form2->FitLastPlot();
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Form4") {
            w->move(std::max(area.x(), area.x() + area.width() / 2 - w->width()), area.y() + area.height() / 10 + 100);
            w->hide();
        }
    QApplication::restoreOverrideCursor();
}

void TForm1::HintsOffClick() { SetHintsOn(false); }

void TForm1::HelpClick() {
    std::string page = tolva::FindFileNoCase(tolva::ProgramFolder(), "Tolvamax.Htm");
    if (!tolva::FileExists(page)) {
        showMessage("The help page \"" + page + "\" is missing.");
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromLocal8Bit(page.c_str())));
}

void TForm1::ExitClick() {
    if (!StopSendBeforeExit()) return;
    saveLastIni();
    QTimer::singleShot(1000, this, &QWidget::close);
}

// --------------------------------------------------------- command line

bool TForm1::CommandLineRun() {
    if (commandLineDone_) return false;
    commandLineDone_ = true;
    const int n = static_cast<int>(args_.size());
    if (n > 2) {
        std::string ini = toBytes(args_[2]);
        if (tolva::FileExists(ini))
            useMachineFile(ini);
        else
            showMessage("INI File Not Found ( Last INI file will be used )");
    }
    std::string source = toBytes(args_[0]);
    if (!tolva::FileExists(source)) {
        showMessage("Source File Not Found");
        return false;
    }
    if (!Load_file(args_[0])) return false;
    OrderLinesMFirstClick();
    if (n < 2) return true;

    std::string target = toBytes(args_[1]);
    if (target.size() > tolva::kMaxFileName) {
        showMessage(tolva::FileNameTooLongMessage(target));
        return false;
    }
    std::string targetExt = tolva::UpperExtension(target);
    std::string sourceExt = tolva::UpperExtension(source);
    bool ok = true;
    if (targetExt == ".SGT" && !ConvertToIncrementalClick()) return false;
    if (targetExt == ".DXF") {
        // A point file keeps its points; a program is written as its plot.
        ok = sourceExt == ".PNT" ? WriteDxfPointFile(target) : WriteDxfOfPlot(target, false);
    } else {
        ok = saveLinesTo(args_[1]);
    }
    if (Form2) Form2->setWindowTitle(args_[1]);
    return ok;
}

bool TForm1::saveLinesTo(const QString& target) {
    tolva::FileStatus st = tolva::WriteFileAtomic(toBytes(target), RichEdit1->BytesView());
    if (!st.ok) showMessage(st.message);
    return st.ok;
}

// --------------------------------------------------------------- events

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        if (openInitialDir_.isEmpty()) openInCurrentDir_ = true;
        if (RichEdit1->LineCount() == 0 && !args_.isEmpty() && !commandLineDone_)
            QTimer::singleShot(0, this, [this] {
                if (!commandLineDone_) CommandLineRun();
            });
    }
    return QMainWindow::event(e);
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Without a window manager the window may never be activated; the
    // command-line run must not depend on it (it runs once either way).
    if (RichEdit1->LineCount() == 0 && !args_.isEmpty() && !commandLineDone_)
        QTimer::singleShot(0, this, [this] {
            if (!commandLineDone_) CommandLineRun();
        });
}

bool TForm1::eventFilter(QObject* obj, QEvent* e) {
    if (!hintsOn_ && (e->type() == QEvent::ToolTip || e->type() == QEvent::StatusTip)) return true;
    if (obj == RichEdit1 || obj == RichEdit1->viewport()) {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::KeyRelease:
                // After the editor has handled it.
                QTimer::singleShot(0, this, [this] { ShowLineNum2(RichEdit1, this); });
                break;
            case QEvent::DragEnter: {
                auto* de = static_cast<QDragEnterEvent*>(e);
                if (de->mimeData()->hasUrls()) {
                    de->acceptProposedAction();
                    return true;
                }
                break;
            }
            case QEvent::Drop: {
                auto* de = static_cast<QDropEvent*>(e);
                if (de->mimeData()->hasUrls()) {
                    dropEvent(de);
                    return true;
                }
                break;
            }
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(obj, e);
}

void TForm1::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e) {
    e->acceptProposedAction();
    FilesDropped(e->mimeData()->urls());
}

bool TForm1::FilesDropped(const QList<QUrl>& urls) {
    if (Form2) Form2->EnableSpinFlipFlop();
    if (urls.isEmpty()) return false;
    // A drop replaces the program as Open does: a modified program is
    // offered for saving first, and stays when that save does not happen.
    if (!SaveoldFile()) return false;
    return Load_file(urls.first().toLocalFile());
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (!StopSendBeforeExit()) {
        e->ignore();
        return;
    }
    if (RichEdit1->IsModified() && RichEdit1->LineCount() >= 2 && args_.size() <= 1) {
        // A save that is cancelled or fails keeps the window, and the program, open.
        if (host_->AskYesNo("File has been modified. Save file?") && !FileSaveClick()) {
            e->ignore();
            return;
        }
    }
    e->accept();
    // Closing the main window ends the application, whatever other windows
    // are still open.
    QCoreApplication::quit();
}

// ------------------------------------------------------- desktop habits

void TForm1::UndoClick() {
    RichEdit1->undo();
    // The plot and its totals follow the text back.
    if (Form2) Form2->Redraw();
}

void TForm1::RedoClick() {
    RichEdit1->redo();
    if (Form2) Form2->Redraw();
}

void TForm1::PlotClick() {
    if (!Form2) return;
    Form2->setWindowState(Form2->windowState() & ~Qt::WindowMinimized);
    if (isVisible()) Form2->show();
    Form2->Redraw();
}

void TForm1::rememberRecent(const std::string& path) {
    std::string full = path;
    const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
    if (info.exists()) full = info.absoluteFilePath().toLocal8Bit().toStdString();
    tolva::PushRecentFile(recent_, full);
    // A list that cannot be written only stays unsaved: no message.
    tolva::SaveRecentFiles(settings_.ProgramFolder(), recent_);
    refreshRecentMenu();
}

void TForm1::refreshRecentMenu() {
    recentMenu_->clear();
    int n = 0;
    for (const std::string& name : recent_) {
        const QString path = QString::fromLocal8Bit(name.c_str());
        QAction* a = recentMenu_->addAction(QString("&%1 %2").arg(++n).arg(path));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    recentMenu_->setEnabled(!recent_.empty());
}

bool TForm1::OpenRecent(const QString& path) {
    if (Form2) Form2->EnableSpinFlipFlop();
    if (!SaveoldFile()) return false;
    if (!Load_file(path)) return false;
    RichEdit1->ClearModified();
    return true;
}

void TForm1::caretMoved(int line) {
    if (Form2) Form2->MarkLine(line);
    showUnits();
}

void TForm1::followMachine() {
    // What the status line and the colouring read of the machine file:
    // its label table, and its codes for inch and metric.
    auto take = [this] {
        lexer_->SetCodes(tolva::HighlightCodesOf(settings_.Labels(), settings_.Flag("SwapXY"), settings_.Flag("SwapYZ")));
        showUnits();
    };
    take();
    machineListener_ = settings_.Subscribe([this, take](const tolva::SettingsChange& c) {
        if (c.kind == tolva::SettingsChange::Loaded || c.kind == tolva::SettingsChange::Cell ||
            (c.kind == tolva::SettingsChange::Value && (c.name == "SwapXY" || c.name == "SwapYZ")))
            take();
    });
}

void TForm1::showUnits() {
    const int caret = RichEdit1->SelStart();
    const int line = RichEdit1->LineOfPos(caret);
    const int lineEnd = static_cast<int>(RichEdit1->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line));
    const std::string& inch = settings_.Text("UnitsInch");
    const std::string& metric = settings_.Text("UnitsMetric");
    UnitsLabel->setText(QString::fromStdString(tolva::UnitsText(
        tolva::UnitsInForce(RichEdit1->BytesView().substr(0, static_cast<std::size_t>(lineEnd)), inch, metric), inch,
        metric)));
}
