#include "pages/advanced_string_grid.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

const int kTextIndent = 5;

class TCellDelegate : public QStyledItemDelegate {
public:
    explicit TCellDelegate(TAdvancedStringGrid* grid) : QStyledItemDelegate(grid), Grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row(), col = index.column();
        const bool fixed = Grid->IsFixed(row, col);
        const QRect rect = option.rect;
        const QString text = index.data(Qt::DisplayRole).toString();
        const QFont font = fixed ? Grid->HeaderFont : Grid->font();
        const QFontMetrics metrics(font);
        const bool centred = fixed && row == 0 && Grid->CenteredHeader;

        painter->save();
        painter->setClipRect(rect);
        painter->fillRect(rect, Grid->CellBackground(row, col));
        painter->setFont(font);
        painter->setPen(Grid->palette().color(fixed ? QPalette::ButtonText : QPalette::Text));
        const int dy = (rect.height() - metrics.height()) / 2;
        const int dx = centred ? (rect.width() - metrics.horizontalAdvance(text)) / 2 : kTextIndent;
        painter->drawText(rect.left() + dx, rect.top() + dy + metrics.ascent(), text);
        painter->restore();
    }

private:
    TAdvancedStringGrid* Grid;
};

}  // namespace

TAdvancedStringGrid::TAdvancedStringGrid(QWidget* parent) : QTableWidget(parent), HeaderFont(QApplication::font())
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(NoEditTriggers);
    setItemDelegate(new TCellDelegate(this));
    // Without a horizontal scroll bar the first column always stays in view.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value != 0 && horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) horizontalScrollBar()->setValue(0);
    });
}

QColor TAdvancedStringGrid::CellBackground(int row, int col) const
{
    if (IsFixed(row, col)) return palette().color(QPalette::Button);
    if (Striped && row % 2 == 0) return StripColor;
    return palette().color(QPalette::Base);
}

void TAdvancedStringGrid::SetAutoStretched(bool on)
{
    Stretched = on;
    Percentages.clear();
    if (!on) return;
    int sum = 0;
    for (int c = 0; c < columnCount(); ++c) sum += columnWidth(c);
    for (int c = 0; c + 1 < columnCount(); ++c) Percentages.append(sum > 0 ? columnWidth(c) * 100 / sum : 0);
    Stretch();
    viewport()->update();
}

bool TAdvancedStringGrid::viewportEvent(QEvent* event)
{
    const bool handled = QTableWidget::viewportEvent(event);
    if (event->type() == QEvent::Resize && Stretched) Stretch();
    return handled;
}

// One pixel per column is left over for the grid lines.
void TAdvancedStringGrid::Stretch()
{
    const int cols = columnCount();
    if (cols == 0) return;
    const int client = viewport()->width();
    int others = 0;
    for (int c = 0; c + 1 < cols; ++c) {
        if (c < Percentages.size()) setColumnWidth(c, client * Percentages[c] / 100);
        others += columnWidth(c);
    }
    setColumnWidth(cols - 1, qMax(0, client - (cols + others)));
}
