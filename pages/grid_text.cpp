#include "pages/grid_text.h"

#include <QTableWidget>

QString CellText(const QTableWidget* grid, int row, int col)
{
    const QTableWidgetItem* item = grid->item(row, col);
    return item ? item->text() : QString();
}

void SetCellText(QTableWidget* grid, int row, int col, const QString& text)
{
    if (QTableWidgetItem* item = grid->item(row, col)) item->setText(text);
    else if (!text.isEmpty()) grid->setItem(row, col, new QTableWidgetItem(text));
}

TTextGrid TextGridOf(const QTableWidget* grid)
{
    TTextGrid text;
    text.Resize(grid->columnCount(), grid->rowCount());
    for (int r = 0; r < text.RowCount; ++r)
        for (int c = 0; c < text.ColCount; ++c) text.Cells[r][c] = CellText(grid, r, c);
    return text;
}

void ApplyTextGrid(const TTextGrid& text, QTableWidget* grid)
{
    grid->setColumnCount(text.ColCount);
    grid->setRowCount(text.RowCount);
    for (int r = 0; r < text.RowCount; ++r)
        for (int c = 0; c < text.ColCount; ++c) SetCellText(grid, r, c, text.Cell(r, c));
}
