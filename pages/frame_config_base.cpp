#include "pages/frame_config_base.h"

#include "common/error.h"
#include "device/device.h"
#include "pages/config_exchange.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

const char* const kConfigTitle = "Конфигурация электросчетчика";

const TPageAction kConfigPageActions[] = {
    {"SaveToFile", "Сохранить конфигурацию в файле"},
    {"PrintTable", "Печать конфигурации"},
    {"LoadFromFile", "Загрузить конфигурацию из файла"},
    {nullptr, nullptr},
};

namespace {

constexpr int kCaptionWidth = 320;
constexpr int kValueWidth = 117;
constexpr int kRowHeight = 20;
constexpr int kTextIndent = 5;

// An edit mask as a pattern: "9" an optional digit, "c" an optional
// character; the part after the first ";" only says how blanks are kept.
QString MaskPattern(const QString& editMask)
{
    QString pattern;
    for (QChar c : editMask.section(QLatin1Char(';'), 0, 0)) {
        if (c == QLatin1Char('9')) pattern += QStringLiteral("\\d?");
        else if (c == QLatin1Char('c')) pattern += QStringLiteral(".?");
        else pattern += QRegularExpression::escape(QString(c));
    }
    return pattern;
}

// Value cells: a drop-down for pick-list rows, a masked line for typed rows.
class TConfigDelegate : public QStyledItemDelegate {
public:
    explicit TConfigDelegate(TFrameConfigBase* page) : QStyledItemDelegate(page), Page(page) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const int row = index.row() - 1;
        const TConfigRowDef& def = Page->Rows().Def(row);
        if (def.EditStyle == kEditPickList) {
            auto* combo = new QComboBox(parent);
            combo->addItems(Page->OfferedPickList(row));
            return combo;
        }
        auto* edit = new QLineEdit(parent);
        if (def.EditMask) {
            const QString pattern = MaskPattern(QString::fromUtf8(def.EditMask));
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
        }
        return edit;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(combo->findText(index.data().toString()));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            // Nothing picked keeps the value, also one outside the offered entries.
            if (combo->currentIndex() >= 0) model->setData(index, combo->currentText());
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    TFrameConfigBase* Page;
};

QTableWidgetItem* NewItem(const QString& text, Qt::ItemFlags flags)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(flags);
    return item;
}

}  // namespace

TFrameConfigBase::TFrameConfigBase(QWidget* owner, const TConfigRowDef* configRows)
    : TFrameBase(owner, kConfigPageActions), RowValues(configRows)
{
    NameTable = new QLabel(QString::fromUtf8(kConfigTitle), this);
    NameTable->setObjectName(QStringLiteral("NameTable"));
    NameTable->setAlignment(Qt::AlignCenter);
    QFont bold = NameTable->font();
    bold.setBold(true);
    NameTable->setFont(bold);

    vleConfig = new QTableWidget(RowValues.Count() + 1, 2, this);
    vleConfig->setObjectName(QStringLiteral("vleConfig"));
    vleConfig->horizontalHeader()->hide();
    vleConfig->verticalHeader()->hide();
    vleConfig->verticalHeader()->setDefaultSectionSize(kRowHeight);
    vleConfig->setColumnWidth(0, kCaptionWidth);
    vleConfig->setColumnWidth(1, kValueWidth);
    vleConfig->horizontalHeader()->setStretchLastSection(true);
    vleConfig->setSelectionMode(QAbstractItemView::SingleSelection);
    vleConfig->setEditTriggers(QAbstractItemView::AllEditTriggers);
    vleConfig->setItemDelegateForColumn(1, new TConfigDelegate(this));
    vleConfig->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(NameTable);
    layout->addWidget(vleConfig);

    const QPalette palette = QApplication::palette();
    QFont titleFont = vleConfig->font();
    titleFont.setBold(true);
    for (int c = 0; c < 2; ++c) {
        auto* title = NewItem(QString::fromUtf8(c == 0 ? kParameterTitle : kValueTitle), Qt::ItemIsEnabled);
        title->setTextAlignment(Qt::AlignCenter);
        title->setFont(titleFont);
        title->setBackground(palette.button());
        vleConfig->setItem(0, c, title);
    }
    const Qt::Alignment textAlign = Qt::AlignLeft | Qt::AlignVCenter;
    for (int row = 0; row < RowValues.Count(); ++row) {
        const int line = row + 1;
        const QBrush stripe = line % 2 ? palette.base() : palette.toolTipBase();
        auto* caption = NewItem(RowValues.Caption(row), Qt::ItemIsEnabled);
        Qt::ItemFlags valueFlags = Qt::ItemIsEnabled;
        if (!RowValues.IsReadOnlyPlain(row)) valueFlags |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
        auto* value = NewItem(QString(), valueFlags);
        if (RowValues.IsReadOnlyPlain(row)) value->setForeground(palette.brush(QPalette::Disabled, QPalette::Text));
        for (QTableWidgetItem* item : {caption, value}) {
            item->setBackground(stripe);
            item->setTextAlignment(textAlign);
        }
        vleConfig->setItem(line, 0, caption);
        vleConfig->setItem(line, 1, value);
    }
    // Text starts a few pixels from the cell's edge.
    vleConfig->setStyleSheet(QStringLiteral("QTableWidget::item { padding-left: %1px; }").arg(kTextIndent));

    RowValues.Changed = [this](int row) { ShowRow(row); };
    connect(vleConfig, &QTableWidget::itemChanged, this, &TFrameConfigBase::vleConfigItemChanged);
    connect(vleConfig, &QWidget::customContextMenuRequested, this, &TFrameConfigBase::vleConfigContextPopup);

    SetAbilities({abRead, abWrite});
    FilePrefix = QStringLiteral("CFG");
}

QString TFrameConfigBase::GetTitle() const { return QString::fromUtf8(kConfigTitle); }

void TFrameConfigBase::ShowRow(int row)
{
    Showing = true;
    vleConfig->item(row + 1, 1)->setText(RowValues.Value(row));
    Showing = false;
}

// The user left an edited cell.
void TFrameConfigBase::vleConfigItemChanged(QTableWidgetItem* item)
{
    if (Showing || item->column() != 1 || item->row() < 1) return;
    const int row = item->row() - 1;
    RowValues.SetValue(row, RowValues.Validated(RowValues.Caption(row), item->text()));
}

// A typed value cell keeps its editor's own menu; everywhere else the page's.
void TFrameConfigBase::vleConfigContextPopup(const QPoint& pos)
{
    const QModelIndex index = vleConfig->indexAt(pos);
    if (index.isValid() && index.column() == 1 && index.row() >= 1 && RowValues.IsTyped(index.row() - 1)) {
        vleConfig->setCurrentIndex(index);
        vleConfig->edit(index);
        return;
    }
    PopupMenu->popup(vleConfig->viewport()->mapToGlobal(pos));
}

QStringList TFrameConfigBase::OfferedPickList(int row) const { return RowValues.PickList(row); }

void TFrameConfigBase::RejectDisplayFormat(const DisplayFormat&)
{
    throw TError(QString::fromUtf8(kBadDisplayFormat));
}

void TFrameConfigBase::Read()
{
    TConfigExchange(TheDevice(), RowValues).Read();
}

void TFrameConfigBase::Write()
{
    TConfigExchange(TheDevice(), RowValues).Write([this](const DisplayFormat& f) { RejectDisplayFormat(f); });
}

void TFrameConfigBase::FillGrid(QTableWidget& grid) const
{
    const QVector<QStringList> table = RowValues.ToTable();
    grid.setColumnCount(2);
    grid.setRowCount(table.size());
    grid.setColumnWidth(0, width() / 2);
    grid.setColumnWidth(1, width() / 2);
    for (int r = 0; r < table.size(); ++r)
        for (int c = 0; c < 2; ++c) grid.setItem(r, c, new QTableWidgetItem(table[r][c]));
}

void TFrameConfigBase::SaveToFile(const QString& fileName)
{
    QTableWidget grid;
    FillGrid(grid);
    SaveGridsToFile(fileName, &grid, nullptr);
}

void TFrameConfigBase::PrintTable()
{
    QTableWidget grid;
    FillGrid(grid);
    PrintGrids(&grid, nullptr);
}

void TFrameConfigBase::LoadFromFile(const QString& fileName)
{
    QTableWidget grid;
    if (!LoadGridsFromFile(fileName, &grid, nullptr)) return;
    QVector<QStringList> table;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QTableWidgetItem* item = grid.item(r, c);
            cells.append(item ? item->text() : QString());
        }
        table.append(cells);
    }
    RowValues.LoadTable(grid.columnCount(), table, ExpectedRowCount());
}
