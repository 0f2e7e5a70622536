#include "settings/setup_window.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "base/folders.h"

using tolva::SettingKind;
using tolva::SettingsChange;
using tolva::SettingSpec;
using tolva::SettingsTable;

namespace {

// Machine files hold bytes; the controls show them as Latin-1 so that every
// byte comes back unchanged.
QString toQ(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
QString toQ(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string fromQ(const QString& s) { return s.toLatin1().toStdString(); }

const QColor kAqua(0, 255, 255);

}  // namespace

TForm3::TForm3(tolva::MachineSettings& settings, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint), settings_(settings) {
    Form3 = this;
    setObjectName("Form3");
    setWindowTitle(toQ(settings_.SetupCaption()));
    buildMenus();
    buildControls();
    showAll();
    subscription_ = settings_.Subscribe([this](const SettingsChange& c) { onChange(c); });
}

TForm3::~TForm3() {
    settings_.Unsubscribe(subscription_);
    if (Form3 == this) Form3 = nullptr;
}

void TForm3::buildMenus() {
    QMenu* files = menuBar()->addMenu("&Files");
    files->setObjectName("Files1");
    files->addAction("Save ini", this, &TForm3::SaveIniClick)->setObjectName("SaveIni1");
    files->addAction("Load ini", this, &TForm3::LoadIniClick)->setObjectName("LoadIni1");
    files->addAction("Font", this, &TForm3::FontClick)->setObjectName("Font1");
    files->addAction("Print Form", this, &TForm3::PrintFormClick)->setObjectName("PrintForm1");
    QAction* help = menuBar()->addAction("Help", this, &TForm3::HelpClick);
    help->setObjectName("Help1");
}

void TForm3::buildControls() {
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    auto* page = new QWidget;
    auto* outer = new QHBoxLayout(page);

    labelGroup_ = new QGroupBox(" Labels  and Translate table", page);
    labelGroup_->setObjectName("GroupBoxLabels");
    labelGroup_->setToolTip("Translate starts at 30. Comment enclosing at 70");
    auto* gl = new QVBoxLayout(labelGroup_);
    StringGrid1 = new QTableWidget(tolva::kLabelRows, tolva::kLabelColumns, labelGroup_);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setToolTip("Table of commands and from line 30 a translate table ");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(20);
    StringGrid1->setColumnWidth(0, 170);
    StringGrid1->setColumnWidth(1, 170);
    StringGrid1->setColumnWidth(2, 40);
    StringGrid1->setMinimumWidth(400);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    for (int r = 0; r < tolva::kLabelRows; ++r)
        for (int c = 0; c < tolva::kLabelColumns; ++c) StringGrid1->setItem(r, c, new QTableWidgetItem);
    StringGrid1->viewport()->installEventFilter(this);
    connect(StringGrid1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (syncing_) return;
        settings_.SetCell(item->column(), item->row(), fromQ(item->text()));
    });
    gl->addWidget(StringGrid1);
    setGridColour(false);
    outer->addWidget(labelGroup_, 0);

    auto* right = new QVBoxLayout;
    auto* columns = new QHBoxLayout;
    right->addLayout(columns, 1);
    outer->addLayout(right, 1);

    // Which column each group goes to, top to bottom.
    struct Place {
        std::string_view group;
        int column;
    };
    const Place places[] = {
        {" Baud ", 0}, {" Data ", 0}, {" Parity ", 0}, {" Flow ", 0}, {" Stop Bits ", 0}, {" Com Port ", 0},
        {"Com Buffer", 0}, {" Plotting ", 1}, {" Lathe Plotting ", 1}, {" Transmit ", 1}, {" Punched Tape ", 1},
        {"", 1}, {" Dxf    Reading and Writing ", 2}, {" Options ", 3}, {" Motion ", 3},
    };
    QVBoxLayout* column[4];
    for (auto*& c : column) {
        c = new QVBoxLayout;
        columns->addLayout(c, 1);
    }
    std::map<std::string, QFormLayout*, std::less<>> forms;
    for (const Place& p : places) {
        auto* box = new QGroupBox(toQ(p.group), page);
        box->setObjectName(QString("GroupBox_%1").arg(groups_.size() + 1));
        auto* form = new QFormLayout(box);
        form->setContentsMargins(6, 4, 6, 4);
        form->setVerticalSpacing(2);
        column[p.column]->addWidget(box);
        groups_.emplace(std::string(p.group), box);
        forms.emplace(std::string(p.group), form);
    }
    for (auto* c : column) c->addStretch(1);

    auto* dirBox = new QGroupBox("  Initial Working Directory ", page);
    dirBox->setObjectName("GroupBoxInitialDir");
    dirBox->setToolTip("This directory is checked first for files if it exists");
    auto* dirLayout = new QHBoxLayout(dirBox);
    right->addWidget(dirBox);
    groups_.emplace("  Initial Working Directory ", dirBox);

    const auto& table = SettingsTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const SettingSpec& s = table[i];
        QString name = toQ(s.name);
        QWidget* w = nullptr;
        switch (s.kind) {
            case SettingKind::Flag: {
                auto* cb = new QCheckBox(toQ(s.caption));
                connect(cb, &QCheckBox::toggled, this, [this, n = std::string(s.name)](bool on) {
                    if (!syncing_) settings_.SetFlag(n, on);
                });
                w = cb;
                break;
            }
            case SettingKind::Choice: {
                auto* rb = new QRadioButton(toQ(s.caption));
                // The core clears the siblings; Qt's own exclusivity would not
                // allow a group with no button on, which a file may give.
                rb->setAutoExclusive(false);
                connect(rb, &QRadioButton::clicked, this, [this, i, n = std::string(s.name)] {
                    if (syncing_) return;
                    settings_.SetFlag(n, true);
                    showValue(static_cast<int>(i));
                });
                w = rb;
                break;
            }
            case SettingKind::Integer: {
                auto* sp = new QSpinBox;
                sp->setRange(s.min, s.max);
                sp->setSingleStep(s.step);
                connect(sp, &QSpinBox::valueChanged, this, [this, n = std::string(s.name)](int v) {
                    if (!syncing_) settings_.SetInt(n, v);
                });
                w = sp;
                break;
            }
            case SettingKind::Text: {
                auto* ed = new QLineEdit;
                // The length limit binds what the user types only; a longer
                // stored text is shown and kept whole.
                connect(ed, &QLineEdit::textEdited, this,
                        [this, ed, max = s.maxLength, n = std::string(s.name)](const QString& t) {
                            if (syncing_) return;
                            QString text = t;
                            if (max > 0 && text.size() > max) {
                                text.truncate(max);
                                QSignalBlocker block(ed);
                                ed->setText(text);
                            }
                            settings_.SetText(n, fromQ(text));
                        });
                w = ed;
                break;
            }
            case SettingKind::Font: {
                Label14 = new QLabel("Font");
                Label14->setObjectName("Label14");
                Label14->installEventFilter(this);
                Label14->setCursor(Qt::PointingHandCursor);
                Label_font = new QLabel;
                Label_font->setObjectName("Label_font");
                forms[""]->addRow(Label14, Label_font);
                controls_.emplace(std::string(s.name), Label_font);
                continue;
            }
        }
        w->setObjectName(name);
        w->setToolTip(toQ(s.hint));
        controls_.emplace(std::string(s.name), w);

        if (s.name == "Edit1") {
            dirLayout->addWidget(w);
            continue;
        }
        auto fit = forms.find(s.group);
        QFormLayout* form = fit != forms.end() ? fit->second : forms[" Options "];
        if (s.kind == SettingKind::Flag || s.kind == SettingKind::Choice) {
            form->addRow(w);
        } else {
            auto* label = new QLabel(toQ(s.caption));
            label->setObjectName(name + "_label");
            captions_.emplace(std::string(s.name), label);
            if (!s.caption2.empty()) {
                auto* row = new QWidget;
                auto* h = new QHBoxLayout(row);
                h->setContentsMargins(0, 0, 0, 0);
                h->addWidget(w);
                auto* second = new QLabel(toQ(s.caption2));
                second->setObjectName(name + "_label2");
                h->addWidget(second);
                form->addRow(label, row);
            } else {
                form->addRow(label, w);
            }
        }
        if (s.hidden) {
            form->setRowVisible(w, false);
            w->hide();
        }
    }
    page->setLayout(outer);
    scroll->setWidget(page);
    setCentralWidget(scroll);
}

QWidget* TForm3::Control(const std::string& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void TForm3::onChange(const SettingsChange& c) {
    switch (c.kind) {
        case SettingsChange::Value: showValue(tolva::SettingIndex(c.name)); break;
        case SettingsChange::Caption: showCaption(tolva::SettingIndex(c.name)); break;
        case SettingsChange::Cell:
            if (c.row < 0) showTable();
            else showCell(c.column, c.row);
            break;
        case SettingsChange::Font: showFont(); break;
        case SettingsChange::Indicator: setWindowTitle(toQ(settings_.SetupCaption())); break;
        case SettingsChange::Loaded: break;
    }
}

void TForm3::showValue(int index) {
    if (index < 0) return;
    const SettingSpec& s = SettingsTable()[index];
    QWidget* w = Control(std::string(s.name));
    if (!w) return;
    bool was = syncing_;
    syncing_ = true;
    {
        QSignalBlocker block(w);
        switch (s.kind) {
            case SettingKind::Flag:
            case SettingKind::Choice:
                static_cast<QAbstractButton*>(w)->setChecked(settings_.Flag(s.name));
                break;
            case SettingKind::Integer: static_cast<QSpinBox*>(w)->setValue(settings_.Int(s.name)); break;
            case SettingKind::Text: {
                auto* ed = static_cast<QLineEdit*>(w);
                QString t = toQ(settings_.Text(s.name));
                if (ed->text() != t) ed->setText(t);
                break;
            }
            case SettingKind::Font: showFont(); break;
        }
    }
    syncing_ = was;
}

void TForm3::showCaption(int index) {
    if (index < 0) return;
    const SettingSpec& s = SettingsTable()[index];
    QString caption = toQ(settings_.Caption(s.name));
    if (auto it = captions_.find(s.name); it != captions_.end()) {
        it->second->setText(caption);
    } else if (auto* b = qobject_cast<QAbstractButton*>(Control(std::string(s.name)))) {
        b->setText(caption);
    }
}

void TForm3::showCell(int column, int row) {
    QTableWidgetItem* item = StringGrid1->item(row, column);
    if (!item) return;
    bool was = syncing_;
    syncing_ = true;
    item->setText(toQ(settings_.Labels().Cell(column, row)));
    syncing_ = was;
}

void TForm3::showTable() {
    bool was = syncing_;
    syncing_ = true;
    StringGrid1->setUpdatesEnabled(false);
    for (int r = 0; r < tolva::kLabelRows; ++r)
        for (int c = 0; c < tolva::kLabelColumns; ++c) showCell(c, r);
    StringGrid1->setUpdatesEnabled(true);
    syncing_ = was;
}

void TForm3::showFont() {
    if (Label_font) Label_font->setText(toQ(settings_.Font().name));
}

void TForm3::showAll() {
    const auto& table = SettingsTable();
    for (int i = 0; i < static_cast<int>(table.size()); ++i) {
        showValue(i);
        showCaption(i);
    }
    showTable();
    showFont();
    setWindowTitle(toQ(settings_.SetupCaption()));
}

QSize TForm3::DefaultSize() const {
    // The groups sit side by side here, so the size is taken from the whole
    // page of groups rather than summed from a few of them (which left a
    // strip as wide as the working-directory field).
    auto* scroll = qobject_cast<QScrollArea*>(centralWidget());
    if (!scroll || !scroll->widget()) return size();
    const int frame = 2 * scroll->frameWidth();
    QSize need = scroll->widget()->sizeHint() + QSize(frame, frame);
    need.rheight() += menuBar()->sizeHint().height();
    return need;
}

QSize TForm3::DefaultSizeOnScreen() const {
    const QScreen* s = screen();
    return s ? DefaultSize().boundedTo(s->availableGeometry().size()) : DefaultSize();
}

tolva::FileStatus TForm3::StartUp(const std::function<void()>& pressFlat) {
    resize(DefaultSizeOnScreen());
    const tolva::FileStatus st = settings_.StartUp(pressFlat);
    showAll();
    return st;
}

void TForm3::setGridColour(bool aqua) {
    gridAqua_ = aqua;
    QPalette p = StringGrid1->palette();
    p.setColor(QPalette::Base, aqua ? kAqua : QColor(Qt::white));
    StringGrid1->setPalette(p);
}

void TForm3::ShowTranslateTableAqua() {
    showNormal();
    raise();
    activateWindow();
    setGridColour(true);
    StringGrid1->setFocus();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == StringGrid1->viewport() && gridAqua_) setGridColour(false);
        if (watched == Label14) FontClick();
    }
    return QMainWindow::eventFilter(watched, event);
}

std::string TForm3::AskSaveIniPath() {
    QString dir = QString::fromStdString(settings_.ProgramFolder());
    return QFileDialog::getSaveFileName(this, "Save ini", dir + "/*.ini", "INI files (*.ini);;All files (*.*)")
        .toStdString();
}

std::string TForm3::AskLoadIniPath() {
    QString dir = QString::fromStdString(settings_.ProgramFolder());
    return QFileDialog::getOpenFileName(this, "Load ini", dir, "INI files (*.ini);;All files (*.*)")
        .toStdString();
}

void TForm3::SaveIniClick() {
    std::string path = AskSaveIniPath();
    if (path.empty()) return;
    report(settings_.SaveIniAs(path));
}

void TForm3::LoadIniClick() {
    // The recall file is written even when the user cancels.
    report(settings_.UseMachineFile(AskLoadIniPath()));
}

void TForm3::FontClick() {
    const tolva::FontSetting& f = settings_.Font();
    QFont current(QString::fromStdString(f.name), f.size);
    current.setBold(f.bold);
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, current, this, "Font");
    if (!ok) return;
    tolva::FontSetting next;
    next.name = chosen.family().toStdString();
    next.size = chosen.pointSize() > 0 ? chosen.pointSize() : f.size;
    next.bold = chosen.bold();
    settings_.SetFont(next);
}

void TForm3::PrintFormClick() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QPixmap image = grab();
    QPainter painter(&printer);
    QRect page = painter.viewport();
    QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
}

void TForm3::HelpClick() {
    // The shipped help is the HTML page; a "Tolva.HLP" of the user's own comes first.
    for (const char* name : {"Tolva.HLP", "Tolvamax.Htm", "tolva.html", "tolva.htm"}) {
        std::string path = tolva::FindFileNoCase(settings_.ProgramFolder(), name);
        if (tolva::FileExists(path)) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
            return;
        }
    }
    QMessageBox::information(this, "Help", "No help file found in " + QString::fromStdString(settings_.ProgramFolder()));
}

void TForm3::report(const tolva::FileStatus& status) {
    if (!status.ok) QMessageBox::warning(this, windowTitle(), QString::fromStdString(status.message));
}
