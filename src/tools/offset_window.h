// Window "Offsetting" (`TForm8`): the offset value, the shifted contour in
// its own editor, and the operations that put it into the program. Created
// at start and kept for the life of the program; the computation is the core
// of tools/offset.h.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/host.h"
#include "base/shell_window_qt.h"

class ProgramEditor;
class QLabel;
class QLineEdit;
class QTimer;
namespace tolva {
class MachineSettings;
}

class TForm8;
inline TForm8* Form8 = nullptr;

class TForm8 : public ShellWindow {
    Q_OBJECT
public:
    // Reads the settings through `settings` at the moment of use (null:
    // default letters, no codes, every setting off).
    explicit TForm8(tolva::MachineSettings* settings = nullptr, QWidget* parent = nullptr);
    ~TForm8() override;
    void SetHost(std::unique_ptr<tolva::Host> host) { host_ = std::move(host); }

    QLineEdit* OffsetEdit1;  // "+/- Offset Value", d
    QLabel* Label2;          // "Min Rad = ..."
    ProgramEditor* RichEdit1;  // the result
    QLabel* Panel2;          // position indicator of the result editor
    QTimer* Timer1;          // step preview, 121 ms, runs while the right button is held

    // Shows the position of the result editor's caret and selection in
    // Panel2; set by the main window, which owns the indicator's form.
    std::function<void()> ShowPosition;

    // The main window's "Offset": refused with the incremental message when
    // the program holds the Incremental code; otherwise, when the program has
    // more than one line, shows the window, clears the result and runs Auto.
    void OffsetClick(tolva::Host& host);
    // "Auto": the highlighted block, or every cut block, offset by the value
    // of OffsetEdit1 and appended to the result.
    void Auto();
    // The "Operations" menu. Each changes the program as one undoable edit
    // and redraws it.
    void CopyToFileEndClick();
    void InsertAboveClick();
    void ReplaceClick();
    void InsertBelowClick();
    void PlotClick();
    void ReloadClick() { OffsetClick(*host_); }
    void Timer1Timer();

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void buildMenus();
    std::vector<std::string> resultLines() const;
    void editProgram(const std::function<void(std::vector<std::string>&)>& op);

    tolva::MachineSettings* settings_;
    std::unique_ptr<tolva::Host> host_;
};
