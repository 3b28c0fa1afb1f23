#pragma once
#include "pages/table_file.h"

class QTableWidget;

// Cell texts of a page grid by (row, column); a cell without an item is empty.
QString CellText(const QTableWidget* grid, int row, int col);
void SetCellText(QTableWidget* grid, int row, int col, const QString& text);

// The grid's shape and texts as a table file model, and back.
TTextGrid TextGridOf(const QTableWidget* grid);
void ApplyTextGrid(const TTextGrid& text, QTableWidget* grid);
