// The "&Search" menu's find and replace dialogs and `FindInEditor`.
//
// Qt has no stock find and replace dialogs, so these are small ones of our
// own: a text (and a replacement), search down or up, match case, whole word,
// and in the replace dialog "Replace" and "Replace All". One of each lives as
// a child of the main window ("FindDialog1", "ReplaceDialog1"), created on
// first use.
#pragma once

#include <QDialog>

#include <string>

#include "app/find_core.h"

class ProgramEditor;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TForm1;

// `FindInEditor`: selects the next match of `text` in the editor (from its
// selection, in the direction of `options`) and scrolls it into view; false
// when the text is empty, the editor is empty or nothing matches. The
// clipboard and the undo history are left alone.
bool FindInEditor(ProgramEditor& editor, const std::string& text, const tolva::FindOptions& options);

// The find and replace dialogs' common part.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    // `replace`: the replace dialog (replacement text and the two buttons).
    FindDialog(TForm1& form1, bool replace);

    QLineEdit* FindEdit;
    QLineEdit* ReplaceEdit = nullptr;
    QRadioButton* UpButton;
    QRadioButton* DownButton;
    QCheckBox* MatchCase;
    QCheckBox* WholeWord;
    QPushButton* FindNextButton;
    QPushButton* ReplaceButton = nullptr;
    QPushButton* ReplaceAllButton = nullptr;

    std::string FindText() const;
    std::string ReplaceText() const;
    tolva::FindOptions Options() const;

    // The find event: FindInEditor, "Cannot find ..." when nothing matches,
    // then the position indicator.
    bool FindNext();
    // The replace events (`all`: replace all).
    void Replace(bool all);

private:
    TForm1& form1_;
};

// Menu entries of the main window.
void FindClick(TForm1& form1);      // "&Find ..." and the tool button "Find"
void FindNextClick(TForm1& form1);  // "Find &Next"
void ReplaceClick(TForm1& form1);   // "&Replace ..."
// The dialogs (created on first use).
FindDialog& FindDialogOf(TForm1& form1);
FindDialog& ReplaceDialogOf(TForm1& form1);
