// The main window: the program editor and the place every operation starts.
#pragma once

#include <QFont>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/host.h"
#include "base/main_editor_qt.h"
#include "dxf/dxf_import.h"
#include "text/gcode_words.h"

class ProgramEditor;
class QAction;
class QUrl;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QProgressBar;
class QToolButton;
class QWidget;
namespace tolva {
class MachineSettings;
}

class TForm1 : public QMainWindow, public MainEditorAccess {
    Q_OBJECT
public:
    // `args` are the command-line parameters (source, target, machine file).
    TForm1(tolva::MachineSettings& settings, QStringList args, QWidget* parent = nullptr);
    ~TForm1() override;

    ProgramEditor* RichEdit1;
    ProgramEditor* RichEdit2;  // hidden scratch editor
    QPlainTextEdit* Memo4;     // hidden: the layer list of the import
    QListWidget* FileListBox1; // hidden, mask "*.dxf"
    QLabel* Label1;            // machine file in use
    QProgressBar* Gauge1;      // 0..1000, hidden unless an operation shows it
    QLabel* Panel2;            // position indicator
    QWidget* ToolPanel;

    tolva::Host& host() { return *host_; }
    // Batch runs report through standard error instead of message boxes.
    void SetHost(std::unique_ptr<tolva::Host> host);

    // Documents. Load_file is false when the file could not be taken (the
    // editor then keeps its program); an empty file loads as an empty program.
    // A name over 255 characters is refused, never cut to another file's.
    bool Load_file(const QString& name);
    void FileNewClick();
    void FileOpenClick();
    // True when the program was written.
    bool FileSaveClick();
    bool FileSaveAsClick();
    bool SaveTheFile();
    // Asks whether to save a modified program. False only when the user
    // wanted it saved and it was not (cancelled or failed): the caller then
    // keeps the program.
    bool SaveoldFile();
    void PrintTextClick();
    // Prints the program listing on `printer` (headers, eleven-blank indent).
    void PrintText(QPrinter& printer);
    // The printer Print Setup chooses and Print Text and Print Window use.
    QPrinter& Printer();
    QPrinter* SharedPrinter() override { return &Printer(); }
    // "Print P&lot" and the tool button "Plot": the plot window's PrintPlot
    // on the shared printer (plot_print_menu_qt.cpp).
    void PrintPlotClick();
    // "Print &Window": the plot window's image scaled to the page.
    void PrintWindowClick();
    void PrintSetupClick();
    void CalcScale(ProgramEditor* editor);
    void CalcScale2(ProgramEditor* editor, bool extentsOnly);

    // The command-line conversion; returns true when it did what was asked.
    // Runs at most once per application run.
    bool CommandLineRun();
    bool CommandLineDone() const { return commandLineDone_; }

    void ShowLineNum2(ProgramEditor* editor, QWidget* window);

    // What the other windows need of the main window.
    ProgramEditor* MainEditor() override { return RichEdit1; }
    int SelStartLine() const override;
    int SelLineCount() const override;
    void MainCaretMoved() override { ShowLineNum2(RichEdit1, this); }
    void EditProgram(const LinesOperation& op) override;
    void RunModifier(char mode, double value) override;
    // Files dropped on the window: the first one is loaded.
    bool FilesDropped(const QList<QUrl>& urls);
    void DefaultWindowsClick();
    // Default Windows within `area` (a screen's available geometry).
    void PlaceDefaultWindows(const QRect& area);
    // The main window's place in `area`: its first place and Default Windows'.
    QRect MainWindowRect(const QRect& area);
    // Edit > Undo and Redo: the editor's, then the plot follows.
    void UndoClick();
    void RedoClick();
    // The tool button "Plot": the plot window shown and redrawn.
    void PlotClick();
    // File > Recent Files: the newest first, at most eight.
    bool OpenRecent(const QString& path);
    const std::vector<std::string>& RecentFiles() const { return recent_; }
    QMenu* RecentMenu() const { return recentMenu_; }
    QLabel* UnitsLabel;        // status line: the units in force at the caret
    class GcodeLexer* Lexer() const { return lexer_; }
    void HintsOffClick();
    void HelpClick();
    void ExitClick();
    void OrderLinesMFirstClick();
    void OrderLinesMLastClick();

    // DXF exports of the plot, the DXF point file and the split
    // (save_special_qt.cpp). Each shows its error and returns false when it
    // wrote nothing.
    bool WriteDxfOfPlot(const std::string& path, bool linesOnly);
    bool WriteDxfPointFile(const std::string& path);
    bool SaveAsDxfClick(bool linesOnly);  // "Save As DXF Circles, Arcs,Lines" / "... Lines Only Simple"
    bool SaveDxfPointsClick();            // "Save As DXF Points only ( Special )"
    bool SaveSplitClick();                // "Save + Split the File  (Special )"

    // Line numbers, comments, blanks, line ends, units and the two
    // coordinate conversions (modifiers_menu_qt.cpp). Each is one undoable edit.
    void AddLineNumbersClick();
    void RemoveLineNumbersClick();
    void RemoveCommentsClick();
    void PackClick();
    void AddLineEndsClick();
    void RemoveLineEndsClick();
    // False when the conversion was refused (the program is unchanged).
    bool ConvertToIncrementalClick();
    void ConvertToAbsoluteClick();
    void InchToMetricClick();
    void MetricToInchClick();

    // Letters and codes in force, refreshed from the machine's label table.
    const tolva::Letters& Setaxis();

    QAction* ActionByText(const QString& caption) const;
    QMenu* PopupMenu() const { return popup_; }
    bool HintsOn() const { return hintsOn_; }
    void SetHintsOn(bool on);
    QString OpenDialogFileName() const { return openFileName_; }

    // Translate every line with the table rows first..last (29..69 for the
    // menu item, 29..49 and 49..69 for the T1 and T2 buttons).
    void TranslateRows(int first, int last);
    void EditTranslateTableClick();
    void UseAnotherLayerClick();
    void UseAnotherIniClick();
    void EditIniClick();
    // "&Comm ": the communications window in its normal state.
    void CommClick();
    // The tool button "Send": show the communications window, send, close it.
    void SendTheFileClick();
    // After "&Copy Recieved To Editor": the program is an untitled one.
    void ReceivedAsUntitled();
    // Leaving while a program goes out to the machine: asks, and when the
    // user agrees stops the send at a line end and waits for it to end.
    // False: the user chose to stay.
    bool StopSendBeforeExit();

protected:
    // The file dialogs; an empty result is a cancel. Tests replace them.
    virtual QString AskOpenPath(const QString& folder);
    virtual QString AskSavePath(const QString& title, const QString& current);
    // The save dialog of the DXF items: file name `preset`, filter "*.dxf",
    // default extension "DXF".
    virtual QString AskSaveDxfPath(const QString& title, const QString& preset);
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void buildMenus();
    void calcScale(ProgramEditor* editor, bool keepExtents, bool setScale);
    // After a load: scale, caret, current file name, caption.
    void finishLoad(const std::string& name);
    void buildToolBar();
    QAction* addItem(QMenu* menu, const QString& caption, const QString& shortcut,
                     std::function<void()> action, const QString& hint = {});
    void setCaption(const QString& c) { setWindowTitle(c); }
    bool saveLinesTo(const QString& target);
    // Writes the editor's bytes to `path`; on success the editor is no
    // longer modified, on failure the system's reason is shown.
    bool saveProgramTo(const std::string& path);
    void showMessage(const std::string& text) { host_->Message(text); }

    // What the main window reads of the machine settings at the moment of use.
    tolva::Letters lettersInForce();
    QFont editorFont() const;
    QString initialDirSetting() const;
    QString machineIndicator() const;
    void saveLastIni();
    void followSettings();
    void unfollowSettings();
    void useMachineFile(const std::string& path);
    void rememberRecent(const std::string& path);
    void refreshRecentMenu();
    void caretMoved(int line);
    void followMachine();
    void showUnits();
    QMargins frameMargins() const;
    QMenu* recentMenu_ = nullptr;
    std::vector<std::string> recent_;
    class GcodeLexer* lexer_ = nullptr;
    int machineListener_ = 0;

    tolva::MachineSettings& settings_;
    QStringList args_;
    std::unique_ptr<tolva::Host> host_;
    tolva::Letters letters_;
    QMenu* popup_ = nullptr;
    QList<QAction*> actions_;
    bool commandLineDone_ = false;
    int settingsListener_ = 0;
    bool hintsOn_ = true;
    bool openInCurrentDir_ = false;
    QString openInitialDir_;
    QString openFileName_;
    std::unique_ptr<QPrinter> printer_;
};

extern TForm1* Form1;
