// `TForm7`, "Decimal Ascii Editor + Line insertion": the find-and-insert
// texts with their "Find and Insert" run, and an editor that shows one
// program line as decimal character codes so control characters can be put
// into it.
#pragma once

#include <QWidget>

#include <array>
#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TForm1;
namespace tolva {
class MachineSettings;
}

class TForm7 : public QWidget {
    Q_OBJECT
public:
    TForm7(TForm1& form1, tolva::MachineSettings& settings, QWidget* parent = nullptr);
    ~TForm7() override;

    std::array<QLineEdit*, 12> Edit;  // "Edit0".."Edit11", at most 255 characters each
    QPushButton* FindInsertButton;    // "Find and Insert"
    QTableWidget* StringGrid1;        // row 0 characters, row 1 decimal codes; 80 columns or more
    QPlainTextEdit* Memo1;            // the names of codes 1..31

    // "Insert Lines" and "Edit current line as Decimal Ascii": show the
    // window with the first highlighted line of the main editor in the grid.
    void ShowWithLine();
    // Loads line `index` (0-based) of the main editor into the grid; the grid
    // writes back to that line. No such line: an empty grid that writes nothing.
    void LoadLine(int index);
    // The button "Find and Insert": the run over the program, then Compress.
    void FindAndInsertClick();
    // A key released in the grid: rebuild the line from the code cells, show
    // each character above its code, and replace the loaded line by it.
    // `editing`: the column whose cell is being typed into, with its text.
    void StringGrid1KeyUp(int editingColumn = -1, const QString& editingText = {});

    // The line the code cells make now.
    std::string GridLine(int editingColumn = -1, const QString& editingText = {}) const;
    int LoadedLine() const { return line_; }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void fillFields();
    void storeFields();
    std::vector<std::string> codeCells(int editingColumn, const QString& editingText) const;

    TForm1& form1_;
    tolva::MachineSettings& settings_;
    int line_ = -1;
};

extern TForm7* Form7;
