#pragma once
#include "common/prompter.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// The text of one page grid, the model the table file is written from and
// read into. Cells[row][col]; row 0 holds the column titles as on the page.
struct TTextGrid {
    int ColCount = 1;
    int RowCount = 1;
    QVector<QStringList> Cells{QStringList{QString()}};

    // Keeps every cell that lies inside the new shape.
    void Resize(int cols, int rows);
    QString Cell(int row, int col) const;  // empty outside the shape
    void SetCell(int row, int col, const QString& text);
};

// Appends the grid as a boxed table (cp1251, CR LF), then an empty line.
void WriteGridText(QByteArray& out, const TTextGrid& grid);

// Consumes lines from the front of the list and fills the grid with the next
// table. A table of two or more columns ends at the first line with another
// number of cells (an empty line, normally), which is consumed too; a
// single-column table keeps reading and takes on the next table's width.
void ReadGridText(QStringList& lines, TTextGrid& grid);

// Title, meter identity (raw meter bytes) and the time of writing.
QByteArray TableFileHeader(const QString& title, const QByteArray& typeText, const QByteArray& serialText,
                           const QByteArray& userText, const QDateTime& now);

// Lines of a table file in UTF-8 or cp1251; a line ends at CR, LF or CR LF.
QStringList SplitFileLines(const QByteArray& bytes);

TFileDialogRequest SaveTableRequest(const QString& prefix, const QString& serial);
TFileDialogRequest OpenTableRequest(const QString& prefix);

// File access raising TError with the file system's reason. The file is
// replaced only once it is complete.
void WriteTableFile(const QString& fileName, const QByteArray& bytes);
QStringList ReadTableFileLines(const QString& fileName);
