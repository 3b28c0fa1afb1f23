#include "pages/table_file.h"

#include "common/error.h"
#include "common/text_codec.h"

#include <QFile>
#include <QSaveFile>

namespace {

const char* const kCrLf = "\r\n";
const int kLabelWidth = 21;
const QString kTypeLabel = QStringLiteral("Тип прибора:");
const QString kSerialLabel = QStringLiteral("Зав. номер:");
const QString kUserLabel = QStringLiteral("Номер пользователя:");
const QString kTimeLabel = QStringLiteral("Дата и время записи:");
const QString kTimeFormat = QStringLiteral("dd-MM-yy hh:mm");
const QString kSaveTitle = QStringLiteral("Сохранение таблицы");
const QString kOpenTitle = QStringLiteral("Загрузка таблицы");
const QString kFilterName = QStringLiteral("Таблица электросчетчика");
const QString kCreateFailed = QStringLiteral("Не удается создать файл \"%1\". %2");
const QString kOpenFailed = QStringLiteral("Не удается открыть файл \"%1\". %2");

bool IsBlank(QChar c) { return c.unicode() <= 0x20; }

QString TrimBlanks(const QString& text, bool front, bool back)
{
    int begin = 0, end = text.size();
    while (front && begin < end && IsBlank(text[begin])) ++begin;
    while (back && end > begin && IsBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

// The cells of a row line: the texts between the bars, plus any non-blank
// text outside them. A blank first or last cell keeps its place, so a row
// whose first cell is empty does not shift left on loading.
QStringList RowCells(const QString& line)
{
    QStringList pieces = line.split(QLatin1Char('|'));
    if (TrimBlanks(pieces.last(), true, true).isEmpty()) pieces.removeLast();
    if (!pieces.isEmpty() && TrimBlanks(pieces.first(), true, true).isEmpty()) pieces.removeFirst();
    if (pieces.isEmpty()) return pieces;
    pieces.first() = TrimBlanks(pieces.first(), true, false);
    pieces.last() = TrimBlanks(pieces.last(), false, true);
    return pieces;
}

QByteArray Line(const QString& text) { return EncodeCp1251(text) + kCrLf; }

QByteArray LabelLine(const QString& label, const QByteArray& value)
{
    return EncodeCp1251(label.leftJustified(kLabelWidth)) + value + kCrLf;
}

}  // namespace

void TTextGrid::Resize(int cols, int rows)
{
    ColCount = cols;
    RowCount = rows;
    Cells.resize(rows);
    for (QStringList& row : Cells) {
        while (row.size() > cols) row.removeLast();
        while (row.size() < cols) row.append(QString());
    }
}

QString TTextGrid::Cell(int row, int col) const
{
    if (row < 0 || row >= Cells.size() || col < 0 || col >= Cells[row].size()) return QString();
    return Cells[row][col];
}

void TTextGrid::SetCell(int row, int col, const QString& text)
{
    if (row >= RowCount || col >= ColCount) Resize(qMax(ColCount, col + 1), qMax(RowCount, row + 1));
    Cells[row][col] = text;
}

void WriteGridText(QByteArray& out, const TTextGrid& grid)
{
    // Each column is as wide as its longest cell plus two, counting the bar
    // that opens it, so every cell is followed by at least one space.
    QVector<int> widths(grid.ColCount, 2);
    for (int r = 0; r < grid.RowCount; ++r)
        for (int c = 0; c < grid.ColCount; ++c) widths[c] = qMax(widths[c], int(grid.Cell(r, c).size()) + 2);

    QString rule = QStringLiteral("+");
    for (int w : widths) rule += QString(w - 1, QLatin1Char('-')) + QLatin1Char('+');
    const QByteArray ruleLine = Line(rule);

    out += ruleLine;
    for (int r = 0; r < grid.RowCount; ++r) {
        QString row;
        for (int c = 0; c < grid.ColCount; ++c)
            row += QLatin1Char('|') + TrimBlanks(grid.Cell(r, c), true, true).leftJustified(widths[c] - 1);
        out += Line(row + QLatin1Char('|'));
        out += ruleLine;
    }
    out += kCrLf;
}

void ReadGridText(QStringList& lines, TTextGrid& grid)
{
    grid.Resize(1, 1);
    int row = 0;
    while (!lines.isEmpty()) {
        const QString line = lines.takeFirst();
        if (line.contains(QLatin1String("+--"))) continue;
        const int n = int(line.count(QLatin1Char('|'))) - 1;
        if (grid.ColCount == 1) {
            if (n < 1) continue;
            grid.Resize(n, grid.RowCount);
        } else if (n != grid.ColCount) {
            break;
        }
        if (row >= grid.RowCount) grid.Resize(grid.ColCount, row + 1);
        const QStringList cells = RowCells(line);
        for (int c = 0; c < grid.ColCount; ++c) grid.Cells[row][c] = c < cells.size() ? cells[c] : QString();
        ++row;
    }
}

QByteArray TableFileHeader(const QString& title, const QByteArray& typeText, const QByteArray& serialText,
                           const QByteArray& userText, const QDateTime& now)
{
    return Line(title) + kCrLf
        + LabelLine(kTypeLabel, typeText)
        + LabelLine(kSerialLabel, serialText)
        + LabelLine(kUserLabel, userText)
        + LabelLine(kTimeLabel, EncodeCp1251(now.toString(kTimeFormat))) + kCrLf;
}

QStringList SplitFileLines(const QByteArray& bytes)
{
    const QString text = DecodeTextFile(bytes);
    QStringList lines;
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.mid(start));
    return lines;
}

TFileDialogRequest SaveTableRequest(const QString& prefix, const QString& serial)
{
    TFileDialogRequest request;
    request.Title = kSaveTitle;
    request.FileName = prefix + serial;
    request.Filter = kFilterName + QStringLiteral(" (") + prefix + QStringLiteral("*.txt)|") + prefix + QStringLiteral("*.TXT");
    request.DefaultExt = QStringLiteral("txt");
    return request;
}

TFileDialogRequest OpenTableRequest(const QString& prefix)
{
    TFileDialogRequest request;
    request.Title = kOpenTitle;
    request.Filter = kFilterName + QLatin1Char('|') + prefix + QStringLiteral("*.TXT;") + prefix + QStringLiteral("*.VXT");
    return request;
}

void WriteTableFile(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TError(kCreateFailed.arg(fileName, file.errorString()));
}

QStringList ReadTableFileLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw TError(kOpenFailed.arg(fileName, file.errorString()));
    return SplitFileLines(file.readAll());
}
