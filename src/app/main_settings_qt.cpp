// What the main window reads of the machine settings, at the moment of use.
#include "app/main_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

#include "app/edit_ops_window.h"
#include "base/program_editor_qt.h"
#include "plot/plot_window.h"
#include "settings/machine_settings.h"
#include "settings/setup_window.h"
#include "base/folders.h"

tolva::Letters TForm1::lettersInForce() { return settings_.Setaxis().letters; }

QFont TForm1::editorFont() const {
    const tolva::FontSetting& f = settings_.Font();
    QFont font(QString::fromStdString(f.name));
    font.setPointSize(f.size);
    font.setBold(f.bold);
    return font;
}

QString TForm1::initialDirSetting() const { return QString::fromLocal8Bit(settings_.Text("Edit1").c_str()); }

QString TForm1::machineIndicator() const {
    const std::string& s = settings_.Indicator();
    return s.empty() ? QString("The present ini file") : QString::fromLocal8Bit(s.c_str());
}

void TForm1::saveLastIni() {
    tolva::FileStatus st = settings_.Savelastini();
    if (!st.ok) showMessage(st.message);
}

void TForm1::useMachineFile(const std::string& path) {
    tolva::FileStatus st = settings_.UseCommandLineMachineFile(path);
    if (!st.ok) showMessage(st.message);
}

void TForm1::followSettings() {
    Label1->setText(machineIndicator());
    settingsListener_ = settings_.Subscribe([this](const tolva::SettingsChange& change) {
        if (change.kind == tolva::SettingsChange::Indicator) Label1->setText(machineIndicator());
        if (change.kind == tolva::SettingsChange::Font) RichEdit1->setFont(editorFont());
        if (change.kind == tolva::SettingsChange::Loaded) {
            // The open dialog starts in the machine's working folder.
            openInitialDir_ = initialDirSetting();
        }
    });
}

void TForm1::unfollowSettings() {
    if (settingsListener_) settings_.Unsubscribe(settingsListener_);
    settingsListener_ = 0;
}

void TForm1::TranslateRows(int first, int last) {
    RichEdit1->hide();
    EditProgramLines(*this, [&](std::vector<std::string>& lines, tolva::Host&) {
        tolva::TranslateProgram(lines, settings_, first, last);
        return true;
    });
    RichEdit1->show();
}

namespace {
void showInNormalState(QWidget* w) {
    w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    w->show();
    w->raise();
    w->activateWindow();
}
void hideComm() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Form5") w->hide();
}
}  // namespace

void TForm1::EditTranslateTableClick() {
    if (!Form3) return;
    showInNormalState(Form3);
    Form3->ShowTranslateTableAqua();
}

void TForm1::UseAnotherLayerClick() {
    if (!Form3) return;
    showInNormalState(Form3);
    if (QWidget* layer = Form3->Control("EditLayer")) layer->setFocus();
}

void TForm1::UseAnotherIniClick() {
    hideComm();
    QString picked = QFileDialog::getOpenFileName(this, "Open", QString::fromStdString(settings_.ProgramFolder()),
                                                  "INI files (*.ini *.INI);;All Files (*.*)");
    tolva::FileStatus st = settings_.UseMachineFile(picked.toLocal8Bit().toStdString());
    if (!st.ok) showMessage(st.message);
    if (Form2) Form2->Redraw();
}

void TForm1::EditIniClick() {
    SetHintsOn(true);
    hideComm();
    if (Form3) showInNormalState(Form3);
}
