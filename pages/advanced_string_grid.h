#pragma once
#include <QColor>
#include <QFont>
#include <QTableWidget>
#include <QVector>

// The pages' table control. Like the table files, it keeps the column titles
// in row 0: the first FixedRows rows and FixedCols columns are drawn as fixed
// cells (HeaderFont on the button colour, row 0 centred when CenteredHeader)
// and Qt's own headers stay hidden, so fixed rows scroll with the data.
// Data rows with an even number are painted in StripColor when Striped;
// selected cells are not highlighted. Cells are read-only unless a page
// turns editing on.
class TAdvancedStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TAdvancedStringGrid(QWidget* parent = nullptr);

    bool Striped = true;
    QColor StripColor = QColor(0, 255, 255);
    bool CenteredHeader = true;
    QFont HeaderFont;
    int FixedRows = 1;
    int FixedCols = 1;

    bool AutoStretched() const { return Stretched; }
    // On: the column widths become percentages of the width and follow it.
    void SetAutoStretched(bool on);

    bool IsFixed(int row, int col) const { return row < FixedRows || col < FixedCols; }
    QColor CellBackground(int row, int col) const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    void Stretch();

    bool Stretched = false;
    QVector<int> Percentages;  // every column but the last
};
