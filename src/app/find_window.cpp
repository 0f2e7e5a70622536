#include "app/find_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "base/program_editor_qt.h"

namespace {

// The editor shows bytes as Latin-1; the dialogs' texts go to it the same way.
std::string toBytes(const QString& s) {
    QByteArray b = s.toLatin1();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// Lines longer than this are not scrolled sideways to a match: the editor
// would first lay out the whole line, some 8 s for a line of 10 MB.
constexpr long kLongLine = 65536;

void select(ProgramEditor& editor, std::size_t start, std::size_t length) {
    const int line = editor.LineOfPos(static_cast<int>(start));
    const long lineLength = editor.SendScintilla(QsciScintilla::SCI_LINELENGTH, static_cast<unsigned long>(line));
    if (lineLength <= kLongLine) {
        editor.SendScintilla(QsciScintilla::SCI_SETSEL, static_cast<unsigned long>(start),
                             static_cast<long>(start + length));
        editor.SendScintilla(QsciScintilla::SCI_SCROLLCARET);
        return;
    }
    editor.SendScintilla(QsciScintilla::SCI_SETSELECTIONSTART, static_cast<unsigned long>(start));
    editor.SendScintilla(QsciScintilla::SCI_SETSELECTIONEND, static_cast<unsigned long>(start + length));
    editor.SendScintilla(QsciScintilla::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(line));
}

// Like typing over the selection: the caret ends behind the new text.
void replaceSelection(ProgramEditor& editor, const std::string& with) {
    const auto start = static_cast<std::size_t>(editor.SelStart());
    editor.SendScintilla(QsciScintilla::SCI_TARGETFROMSELECTION);
    editor.SendScintilla(QsciScintilla::SCI_REPLACETARGET, with.size(), with.data());
    select(editor, start + with.size(), 0);
}

void showIndicator(TForm1& form1) { form1.ShowLineNum2(form1.RichEdit1, &form1); }

}  // namespace

bool FindInEditor(ProgramEditor& editor, const std::string& text, const tolva::FindOptions& options) {
    std::string_view buffer = editor.BytesView();
    if (text.empty() || buffer.empty()) return false;
    auto pos = tolva::FindInBuffer(buffer, static_cast<std::size_t>(editor.SelStart()),
                                   static_cast<std::size_t>(editor.SelLength()), text, options);
    if (!pos) return false;
    select(editor, *pos, text.size());
    return true;
}

FindDialog::FindDialog(TForm1& form1, bool replace) : QDialog(&form1), form1_(form1) {
    setObjectName(replace ? "ReplaceDialog1" : "FindDialog1");
    setWindowTitle(replace ? "Replace" : "Find");
    setModal(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Find what:", this), 0, 0);
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName("FindEdit");
    grid->addWidget(FindEdit, 0, 1);
    int row = 1;
    if (replace) {
        grid->addWidget(new QLabel("Replace with:", this), row, 0);
        ReplaceEdit = new QLineEdit(this);
        ReplaceEdit->setObjectName("ReplaceEdit");
        grid->addWidget(ReplaceEdit, row++, 1);
    }
    WholeWord = new QCheckBox("Match &whole word only", this);
    MatchCase = new QCheckBox("Match &case", this);
    grid->addWidget(WholeWord, row++, 0, 1, 2);
    grid->addWidget(MatchCase, row++, 0, 1, 2);
    auto* direction = new QGroupBox("Direction", this);
    auto* dirLayout = new QHBoxLayout(direction);
    UpButton = new QRadioButton("&Up", direction);
    DownButton = new QRadioButton("&Down", direction);
    DownButton->setChecked(true);
    dirLayout->addWidget(UpButton);
    dirLayout->addWidget(DownButton);
    grid->addWidget(direction, row++, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    FindNextButton = new QPushButton("&Find Next", this);
    FindNextButton->setDefault(true);
    buttons->addWidget(FindNextButton);
    connect(FindNextButton, &QPushButton::clicked, this, [this] { FindNext(); });
    if (replace) {
        ReplaceButton = new QPushButton("&Replace", this);
        ReplaceAllButton = new QPushButton("Replace &All", this);
        buttons->addWidget(ReplaceButton);
        buttons->addWidget(ReplaceAllButton);
        connect(ReplaceButton, &QPushButton::clicked, this, [this] { Replace(false); });
        connect(ReplaceAllButton, &QPushButton::clicked, this, [this] { Replace(true); });
    }
    auto* cancel = new QPushButton("Cancel", this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, row, 1);
}

std::string FindDialog::FindText() const { return toBytes(FindEdit->text()); }
std::string FindDialog::ReplaceText() const { return ReplaceEdit ? toBytes(ReplaceEdit->text()) : std::string(); }

tolva::FindOptions FindDialog::Options() const {
    tolva::FindOptions o;
    o.down = !UpButton->isChecked();
    o.matchCase = MatchCase->isChecked();
    o.wholeWord = WholeWord->isChecked();
    return o;
}

bool FindDialog::FindNext() {
    const std::string text = FindText();
    bool found = FindInEditor(*form1_.RichEdit1, text, Options());
    if (!found) form1_.host().Message(tolva::CannotFindMessage(text));
    showIndicator(form1_);
    return found;
}

void FindDialog::Replace(bool all) {
    ProgramEditor& editor = *form1_.RichEdit1;
    const std::string text = FindText(), with = ReplaceText();
    const tolva::FindOptions o = Options();
    if (all) {
        // One pass over the text and one undoable edit of the changed span,
        // where replacing match by match would rewrite the document each time.
        std::string_view buffer = editor.BytesView();
        tolva::ReplaceAllResult r =
            tolva::ReplaceAll(buffer, static_cast<std::size_t>(editor.SelStart()),
                              static_cast<std::size_t>(editor.SelLength()), text, with, o);
        if (r.count > 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            editor.SendScintilla(QsciScintilla::SCI_BEGINUNDOACTION);
            editor.SendScintilla(QsciScintilla::SCI_SETTARGETSTART, static_cast<unsigned long>(r.begin));
            editor.SendScintilla(QsciScintilla::SCI_SETTARGETEND, static_cast<unsigned long>(r.endOld));
            editor.SendScintilla(QsciScintilla::SCI_REPLACETARGET, r.replacement.size(), r.replacement.data());
            editor.SendScintilla(QsciScintilla::SCI_ENDUNDOACTION);
            select(editor, r.selStart, r.selLength);
            QApplication::restoreOverrideCursor();
        }
        showIndicator(form1_);
        return;
    }
    std::string_view buffer = editor.BytesView();
    const auto start = static_cast<std::size_t>(editor.SelStart());
    const auto length = static_cast<std::size_t>(editor.SelLength());
    if (start + length <= buffer.size() && tolva::SelectionMatches(buffer.substr(start, length), text, o))
        replaceSelection(editor, with);
    if (!FindInEditor(editor, text, o)) form1_.host().Message(tolva::CannotFindMessage(text));
    showIndicator(form1_);
}

FindDialog& FindDialogOf(TForm1& form1) {
    if (auto* d = form1.findChild<FindDialog*>("FindDialog1")) return *d;
    return *new FindDialog(form1, false);
}

FindDialog& ReplaceDialogOf(TForm1& form1) {
    if (auto* d = form1.findChild<FindDialog*>("ReplaceDialog1")) return *d;
    return *new FindDialog(form1, true);
}

void FindClick(TForm1& form1) {
    form1.RichEdit1->setFocus();
    FindDialog& d = FindDialogOf(form1);
    d.show();
    d.raise();
    d.activateWindow();
}

void FindNextClick(TForm1& form1) {
    form1.RichEdit1->setFocus();
    FindDialog& d = FindDialogOf(form1);
    // Nothing to search again for: ask for the text instead.
    if (d.FindText().empty()) {
        FindClick(form1);
        return;
    }
    d.FindNext();
}

void ReplaceClick(TForm1& form1) {
    form1.RichEdit1->setFocus();
    FindDialog& d = ReplaceDialogOf(form1);
    d.show();
    d.raise();
    d.activateWindow();
}
