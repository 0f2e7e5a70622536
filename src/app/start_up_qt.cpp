#include "app/start_up_qt.h"

#include <QLineEdit>

#include "plot/plot_window.h"
#include "settings/machine_settings.h"

namespace {

// The recall file keeps each text to 255 characters.
std::string recallText(const QLineEdit* edit) { return edit->text().toLocal8Bit().left(255).toStdString(); }

}  // namespace

void LinkPlotWindowToSettings(TForm2& form2, tolva::MachineSettings& settings) {
    settings.SetRecallCollector([&form2](tolva::Recall& r) {
        r.f2Edit1 = recallText(form2.CutSpeedEdit);
        r.f2Edit2 = recallText(form2.RapidSpeedEdit);
    });
    const int id = settings.Subscribe([&form2, &settings](const tolva::SettingsChange& c) {
        if (c.kind == tolva::SettingsChange::Loaded)
            form2.SlideEdit1->setText(QString::fromStdString(settings.SlideAmountText()));
    });
    QObject::connect(&form2, &QObject::destroyed, [&settings, id] {
        settings.Unsubscribe(id);
        settings.SetRecallCollector({});
    });
}

void ShowRecalledSpeeds(TForm2& form2, const tolva::MachineSettings& settings) {
    form2.CutSpeedEdit->setText(QString::fromLocal8Bit(settings.RecallData().f2Edit1.c_str()));
    form2.RapidSpeedEdit->setText(QString::fromLocal8Bit(settings.RecallData().f2Edit2.c_str()));
}
