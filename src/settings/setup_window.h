// The setup window: every setting of the machine record, the label and
// translate table `StringGrid1`, and the "&Files" and "Help" menus.
//
// The controls are generated from the settings table (objectName = control
// name) and kept in step with the MachineSettings both ways: a click goes to
// the core, which runs the interlocks; every change the core reports (also
// from a load) is shown. The window holds no settings of its own.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>

#include "settings/machine_settings.h"

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

class TForm3;
// The one setup window, reachable from every other window.
inline TForm3* Form3 = nullptr;

class TForm3 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm3(tolva::MachineSettings& settings, QWidget* parent = nullptr);
    ~TForm3() override;

    // The creation-time sequence: size the window from its groups, load the
    // default and then the last used machine file, re-run the axis caption
    // handlers. `pressFlat` presses the plot window's "Flat" button (may be
    // empty).
    // Fails with the message for the user when the remembered machine file
    // is missing (the default is then in use).
    tolva::FileStatus StartUp(const std::function<void()>& pressFlat = {});

    // The size that shows every setting without scrolling: the page of
    // groups and the label table, with the menu bar.
    QSize DefaultSize() const;
    // DefaultSize within the free area of the window's screen.
    QSize DefaultSizeOnScreen() const;

    // "Edit Translate table": shown in its normal state, the grid aqua and
    // focused; the next click on the grid makes it white again.
    void ShowTranslateTableAqua();
    bool GridIsAqua() const { return gridAqua_; }

    // Menu items.
    void SaveIniClick();
    void LoadIniClick();
    void FontClick();
    void PrintFormClick();
    void HelpClick();

    QWidget* Control(const std::string& name) const;

protected:
    // The file dialogs; an empty result is a cancel. Tests replace them.
    virtual std::string AskSaveIniPath();
    virtual std::string AskLoadIniPath();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void onChange(const tolva::SettingsChange& change);
    void showValue(int index);
    void showCaption(int index);
    void showCell(int column, int row);
    void showTable();
    void showFont();
    void showAll();
    void setGridColour(bool aqua);
    void report(const tolva::FileStatus& status);

    tolva::MachineSettings& settings_;
    int subscription_ = 0;
    std::map<std::string, QWidget*, std::less<>> controls_;   // control name -> widget
    std::map<std::string, QLabel*, std::less<>> captions_;    // caption labels of edits and spins
    std::map<std::string, QGroupBox*, std::less<>> groups_;   // group caption -> box
    QTableWidget* StringGrid1 = nullptr;
    QGroupBox* labelGroup_ = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label_font = nullptr;
    bool gridAqua_ = false;
    bool syncing_ = false;
};
