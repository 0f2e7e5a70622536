#include "app/ascii_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/app_state.h"
#include "app/edit_ops_window.h"
#include "app/find_core.h"
#include "app/main_window.h"
#include "base/program_editor_qt.h"
#include "settings/machine_settings.h"

TForm7* Form7 = nullptr;

namespace {

constexpr int kGridColumns = 80;
constexpr int kColumnWidth = 30;

const char* const kCodeNames =
    "1 SOH Start of header\n2 STX Start of text\n3 ETX End of text\n4 EOT End of transmission\n"
    "5 ENQ Enquiry\n6 ACK Acknowledge\n7 BEL Bell\n8 BS Backspace\n9 HT Horizontal tab\n"
    "10 LF Line feed\n11 VT Vertical tab\n12 FF Form feed\n13 CR Carriage return\n14 SO Shift out\n"
    "15 SI Shift in\n16 DLE Data link escape\n17 DC1 Device control 1 (XON)\n18 DC2 Device control 2\n"
    "19 DC3 Device control 3 (XOFF)\n20 DC4 Device control 4\n21 NAK Negative acknowledge\n"
    "22 SYN Synchronous idle\n23 ETB End of transmission block\n24 CAN Cancel\n25 EM End of medium\n"
    "26 SUB Substitute\n27 ESC Escape\n28 FS File separator\n29 GS Group separator\n"
    "30 RS Record separator\n31 US Unit seperator";

// The fields, their labels and hints: {field, text beside it}.
const std::pair<int, const char*> kFieldRoles[] = {
    {1, "Find case sensitiveText"},   {2, "Insert line before found"},     {3, "Insert line after found"},
    {0, "or and Search for this"},    {4, "Insert this before found line."}, {5, "Insert this after found line."},
    {6, "Insert Below this"},         {7, "And above this"},                {8, "Insert this text"},
    {9, "Insert Below this"},         {10, "And above this"},               {11, "Insert this text"},
};

std::string toBytes(const QString& s) {
    QByteArray b = s.toLatin1();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}
QString fromBytes(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

std::string lineOf(ProgramEditor& editor, int index) {
    std::string_view bytes = editor.BytesView();
    long start = editor.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    long end = editor.SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index));
    if (start < 0 || end < start || static_cast<std::size_t>(end) > bytes.size()) return {};
    return std::string(bytes.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
}

// Editors of the code cells report their key releases to the window.
class CodeDelegate : public QStyledItemDelegate {
public:
    CodeDelegate(QObject* watcher, QObject* parent) : QStyledItemDelegate(parent), watcher_(watcher) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (w) {
            w->setProperty("gridColumn", index.column());
            w->installEventFilter(watcher_);
        }
        return w;
    }

private:
    QObject* watcher_;
};

}  // namespace

TForm7::TForm7(TForm1& form1, tolva::MachineSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), form1_(form1), settings_(settings) {
    Form7 = this;
    setObjectName("Form7");
    setWindowTitle("Decimal Ascii Editor + Line insertion");

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    layout->addLayout(fields);
    int row = 0, col = 0;
    for (const auto& [index, role] : kFieldRoles) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString("Edit%1").arg(index));
        edit->setMaxLength(static_cast<int>(tolva::kMaxLine));
        edit->setToolTip(role);
        Edit[static_cast<std::size_t>(index)] = edit;
        fields->addWidget(new QLabel(role, this), row, col * 2);
        fields->addWidget(edit, row, col * 2 + 1);
        // The recall data follows the typing, so a later activation, which
        // refills the fields, never throws text away.
        connect(edit, &QLineEdit::textEdited, this, [this, index = index](const QString& t) {
            settings_.RecallData().edit[static_cast<std::size_t>(index)] = toBytes(t).substr(0, tolva::kMaxLine);
        });
        if (++col == 3) col = 0, ++row;
    }
    FindInsertButton = new QPushButton("Find and Insert", this);
    FindInsertButton->setObjectName("FindInsertButton");
    FindInsertButton->setToolTip("Exicute insertion of text. Can be automatic on DXF load see setup Options ");
    connect(FindInsertButton, &QPushButton::clicked, this, [this] { FindAndInsertClick(); });
    layout->addWidget(FindInsertButton, 0, Qt::AlignLeft);

    StringGrid1 = new QTableWidget(2, kGridColumns, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(kColumnWidth);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setFixedHeight(StringGrid1->horizontalHeader()->height() + 2 * StringGrid1->rowHeight(0) + 24);
    StringGrid1->setItemDelegate(new CodeDelegate(this, StringGrid1));
    StringGrid1->installEventFilter(this);
    layout->addWidget(StringGrid1);

    Memo1 = new QPlainTextEdit(kCodeNames, this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    layout->addWidget(Memo1, 1);
    resize(760, 520);
}

TForm7::~TForm7() {
    if (Form7 == this) Form7 = nullptr;
}

void TForm7::fillFields() {
    const auto& edit = settings_.RecallData().edit;
    for (std::size_t k = 0; k < Edit.size(); ++k) Edit[k]->setText(fromBytes(edit[k]));
}

void TForm7::storeFields() {
    auto& edit = settings_.RecallData().edit;
    for (std::size_t k = 0; k < Edit.size(); ++k) edit[k] = toBytes(Edit[k]->text()).substr(0, tolva::kMaxLine);
}

bool TForm7::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) fillFields();
    return QWidget::event(e);
}

void TForm7::closeEvent(QCloseEvent* e) {
    storeFields();
    tolva::FileStatus st = settings_.Savelastini();
    if (!st.ok) form1_.host().Message(st.message);
    QWidget::closeEvent(e);
}

void TForm7::ShowWithLine() {
    fillFields();
    show();
    raise();
    activateWindow();
    LoadLine(tolva::App().SelStartLine + 1);
}

void TForm7::LoadLine(int index) {
    ProgramEditor& editor = *form1_.RichEdit1;
    line_ = index >= 0 && index < editor.LineCount() ? index : -1;
    const std::string text = line_ >= 0 ? lineOf(editor, line_) : std::string();
    const std::vector<std::string> codes = tolva::CodeCellsOfLine(text);
    StringGrid1->clearContents();
    // A line longer than the grid gets more columns: cells that cannot be
    // seen would otherwise drop their characters at the next key release.
    StringGrid1->setColumnCount(std::max<int>(kGridColumns, static_cast<int>(codes.size())));
    for (int k = 0; k < StringGrid1->columnCount(); ++k) {
        auto* chr = new QTableWidgetItem;
        chr->setFlags(chr->flags() & ~Qt::ItemIsEditable);
        StringGrid1->setItem(0, k, chr);
        StringGrid1->setItem(1, k, new QTableWidgetItem);
    }
    for (std::size_t k = 0; k < codes.size(); ++k) {
        StringGrid1->item(0, static_cast<int>(k))->setText(fromBytes(text.substr(k, 1)));
        StringGrid1->item(1, static_cast<int>(k))->setText(QString::fromStdString(codes[k]));
    }
}

std::vector<std::string> TForm7::codeCells(int editingColumn, const QString& editingText) const {
    std::vector<std::string> cells(static_cast<std::size_t>(StringGrid1->columnCount()));
    for (int k = 0; k < StringGrid1->columnCount(); ++k) {
        const QTableWidgetItem* item = StringGrid1->item(1, k);
        QString t = k == editingColumn ? editingText : item ? item->text() : QString();
        cells[static_cast<std::size_t>(k)] = toBytes(t);
    }
    return cells;
}

std::string TForm7::GridLine(int editingColumn, const QString& editingText) const {
    return tolva::LineFromCodeCells(codeCells(editingColumn, editingText));
}

void TForm7::StringGrid1KeyUp(int editingColumn, const QString& editingText) {
    const std::vector<std::string> cells = codeCells(editingColumn, editingText);
    for (int k = 0; k < StringGrid1->columnCount(); ++k) {
        int code = tolva::CellCode(cells[static_cast<std::size_t>(k)]);
        if (QTableWidgetItem* chr = StringGrid1->item(0, k))
            chr->setText(code >= 0 ? QString(QChar(static_cast<char16_t>(code))) : QString());
    }
    if (line_ < 0) return;
    ProgramEditor& editor = *form1_.RichEdit1;
    if (line_ >= editor.LineCount()) return;
    const std::string line = tolva::LineFromCodeCells(cells);
    if (line != lineOf(editor, line_)) editor.ReplaceLine(line_, line);
}

void TForm7::FindAndInsertClick() {
    storeFields();
    tolva::InsertTexts texts;
    for (std::size_t k = 0; k < Edit.size(); ++k) texts[k] = toBytes(Edit[k]->text()).substr(0, tolva::kMaxLine);
    RunMenuOperation(form1_, settings_, "Find and Insert", {}, true, &texts);
}

bool TForm7::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::KeyRelease) {
        if (obj == StringGrid1) {
            StringGrid1KeyUp();
        } else if (auto* editor = qobject_cast<QLineEdit*>(obj)) {
            int column = editor->property("gridColumn").toInt();
            StringGrid1KeyUp(column, editor->text());
        }
    } else if (e->type() == QEvent::KeyPress && obj == StringGrid1) {
        // Delete clears the code under the cursor (and so drops its character).
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Delete || ke->key() == Qt::Key_Backspace) && StringGrid1->currentRow() == 1) {
            if (QTableWidgetItem* item = StringGrid1->currentItem()) item->setText({});
            return true;
        }
    }
    return QWidget::eventFilter(obj, e);
}
