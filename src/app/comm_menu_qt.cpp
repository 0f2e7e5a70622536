// The main window's ways into the communications window.
#include <QCheckBox>

#include "app/app_state.h"
#include "app/main_window.h"
#include "comm/comm_window.h"

namespace {

constexpr const char* kStopSendQuestion = "A program is being sent to the machine. Stop sending and exit?";

void followMainWindow(TForm1& form1) {
    Form5->OnCopiedToEditor = [&form1] { form1.ReceivedAsUntitled(); };
}

}  // namespace

void TForm1::CommClick() {
    if (!Form5) return;
    followMainWindow(*this);
    Form5->setWindowState(Qt::WindowNoState);
    Form5->show();
    Form5->raise();
    Form5->activateWindow();
}

void TForm1::SendTheFileClick() {
    if (!Form5 || Form5->Sending()) return;
    followMainWindow(*this);
    Form5->show();
    // Connected here, not by the activation the window manager sends later.
    Form5->FormActivate();
    // A port that could not be opened, a timeout or a stop leaves the window
    // open with its message: closed, nothing would tell that the program did
    // not go out.
    if (!Form5->CommPortDriver1.IsConnected() && !Form5->DontTransmit->isChecked()) return;
    if (Form5->SendEditorFileClick()) Form5->close();
}

void TForm1::ReceivedAsUntitled() {
    // "&Save" must ask for a name: the received program is not the file
    // that was loaded before it.
    tolva::App().CurrentFileName.clear();
    openFileName_ = "Noname";
    setCaption("Tolva - [Untitled]");
}

bool TForm1::StopSendBeforeExit() {
    if (!Form5 || !Form5->Sending()) return true;
    if (!host_->AskYesNo(kStopSendQuestion)) return false;
    Form5->StopSendClick();
    Form5->WaitForSendEnd();
    return true;
}
