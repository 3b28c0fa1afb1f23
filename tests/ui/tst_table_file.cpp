// Page table files: the boxed layout, the reader's rules and the header.
#include "common/error.h"
#include "common/text_codec.h"
#include "pages/table_file.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(TTextGrid)

namespace {

TTextGrid Grid(const QVector<QStringList>& rows)
{
    TTextGrid grid;
    grid.Resize(rows.isEmpty() ? 1 : int(rows[0].size()), int(rows.size()));
    grid.Cells = rows;
    return grid;
}

QVector<QStringList> Trimmed(const TTextGrid& grid)
{
    QVector<QStringList> rows;
    for (int r = 0; r < grid.RowCount; ++r) {
        QStringList row;
        for (int c = 0; c < grid.ColCount; ++c) row.append(grid.Cell(r, c).trimmed());
        rows.append(row);
    }
    return rows;
}

QStringList LinesOf(const QByteArray& bytes) { return SplitFileLines(bytes); }

}  // namespace

class TstTableFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesBoxedTable_data();
    void writesBoxedTable();
    void roundTrip_data();
    void roundTrip();
    void twoTablesLoadIntoTwoGrids();
    void singleColumnTableTakesTheNextTable();
    void cellWithRuleOrBar();
    void lineWithoutCellsLeavesOneCell();
    void header();
    void splitsLines_data();
    void splitsLines();
    void dialogRequests();
    void fileAccess();
};

void TstTableFile::writesBoxedTable_data()
{
    QTest::addColumn<TTextGrid>("grid");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("example") << Grid({{"Параметр", "Значение"}, {"U", "230.1"}})
                             << QByteArray("+---------+---------+\r\n"
                                           "|\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0 |\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5 |\r\n"
                                           "+---------+---------+\r\n"
                                           "|U        |230.1    |\r\n"
                                           "+---------+---------+\r\n"
                                           "\r\n");
    // Widths count the stored blanks; the written text is trimmed.
    QTest::newRow("blanks widen, text trimmed") << Grid({{"  a  ", ""}, {"bb", ""}})
                                                << QByteArray("+------+-+\r\n"
                                                              "|a     | |\r\n"
                                                              "+------+-+\r\n"
                                                              "|bb    | |\r\n"
                                                              "+------+-+\r\n"
                                                              "\r\n");
}

void TstTableFile::writesBoxedTable()
{
    QFETCH(TTextGrid, grid);
    QFETCH(QByteArray, bytes);
    QByteArray out = "before";
    WriteGridText(out, grid);
    QCOMPARE(out, QByteArray("before") + bytes);
}

void TstTableFile::roundTrip_data()
{
    QTest::addColumn<TTextGrid>("grid");
    QTest::newRow("3 columns x 2 rows") << Grid({{"Дата", "T1", "Сумма"}, {"01-02-24", " 1.5 ", "12345.678"}});
    // An empty first or last cell keeps its column instead of shifting the row.
    QTest::newRow("empty edge cells") << Grid({{"", "A+", "A-"}, {"T1", "1", ""}, {"", "", ""}});
}

void TstTableFile::roundTrip()
{
    QFETCH(TTextGrid, grid);
    QByteArray bytes = TableFileHeader("Заголовок", "ZV", "1", "2", QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    WriteGridText(bytes, grid);
    QStringList lines = LinesOf(bytes);
    TTextGrid read;
    ReadGridText(lines, read);
    QCOMPARE(read.ColCount, grid.ColCount);
    QCOMPARE(read.RowCount, grid.RowCount);
    QCOMPARE(Trimmed(read), Trimmed(grid));
}

void TstTableFile::twoTablesLoadIntoTwoGrids()
{
    QStringList wide;
    for (int c = 0; c < 13; ++c) wide.append(QString::number(c * 11));
    const TTextGrid first = Grid({wide, wide, wide});
    const TTextGrid second = Grid({{"Параметр", "Значение"}, {"U", "230.1"}});
    QByteArray bytes;
    WriteGridText(bytes, first);
    WriteGridText(bytes, second);

    QStringList lines = LinesOf(bytes);
    TTextGrid a, b;
    ReadGridText(lines, a);
    ReadGridText(lines, b);
    QCOMPARE(Trimmed(a), Trimmed(first));
    QCOMPARE(Trimmed(b), Trimmed(second));
    QVERIFY(lines.isEmpty());
}

void TstTableFile::singleColumnTableTakesTheNextTable()
{
    QByteArray bytes;
    WriteGridText(bytes, Grid({{"a"}, {"b"}}));
    WriteGridText(bytes, Grid({{"x", "y"}, {"z", "w"}}));
    QStringList lines = LinesOf(bytes);
    TTextGrid read;
    ReadGridText(lines, read);
    QCOMPARE(Trimmed(read), (QVector<QStringList>{{"a", ""}, {"b", ""}, {"x", "y"}, {"z", "w"}}));
}

void TstTableFile::cellWithRuleOrBar()
{
    QByteArray bytes;
    WriteGridText(bytes, Grid({{"h1", "h2"}, {"a+--b", "1"}, {"c", "2"}, {"d|e", "3"}, {"f", "4"}}));
    QStringList lines = LinesOf(bytes);
    TTextGrid read;
    ReadGridText(lines, read);
    // The "+--" row is skipped like a rule; the bar adds a cell and ends the
    // table at that row, leaving the rest to the next reader.
    QCOMPARE(Trimmed(read), (QVector<QStringList>{{"h1", "h2"}, {"c", "2"}}));
    QCOMPARE(lines.first(), QStringLiteral("+------+---+"));
    QCOMPARE(lines.at(1), QStringLiteral("|f     |4  |"));
}

void TstTableFile::lineWithoutCellsLeavesOneCell()
{
    TTextGrid grid = Grid({{"old", "x"}, {"y", "z"}});
    QStringList lines{"Заголовок", "", "+--+", "|", "text"};
    ReadGridText(lines, grid);
    QCOMPARE(grid.ColCount, 1);
    QCOMPARE(grid.RowCount, 1);
    QCOMPARE(grid.Cell(0, 0), QStringLiteral("old"));
    QVERIFY(lines.isEmpty());
}

void TstTableFile::header()
{
    const QByteArray bytes = TableFileHeader(QStringLiteral("Энергия"), "ZV-301-258      ", "0001234567",
                                             "00000042", QDateTime(QDate(2024, 3, 5), QTime(7, 9, 59)));
    QCOMPARE(bytes, EncodeCp1251(QStringLiteral("Энергия\r\n"
                                                "\r\n"
                                                "Тип прибора:         ZV-301-258      \r\n"
                                                "Зав. номер:          0001234567\r\n"
                                                "Номер пользователя:  00000042\r\n"
                                                "Дата и время записи: 05-03-24 07:09\r\n"
                                                "\r\n")));
}

void TstTableFile::splitsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR, LF, CR LF, no last break") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\n\n\rb\r\n") << QStringList{"a", "", "", "", "b"};
    QTest::newRow("cp1251") << QByteArray("|\xD2\xE8\xEF |\r\n") << QStringList{"|Тип |"};
    QTest::newRow("UTF-8") << QStringLiteral("|Тип |\r\n").toUtf8() << QStringList{"|Тип |"};
}

void TstTableFile::splitsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitFileLines(bytes), lines);
}

void TstTableFile::dialogRequests()
{
    const TFileDialogRequest save = SaveTableRequest(QStringLiteral("EN"), QStringLiteral("0001234567"));
    QCOMPARE(save.Title, QStringLiteral("Сохранение таблицы"));
    QCOMPARE(save.FileName, QStringLiteral("EN0001234567"));
    QCOMPARE(save.Filter, QStringLiteral("Таблица электросчетчика (EN*.txt)|EN*.TXT"));
    QCOMPARE(save.DefaultExt, QStringLiteral("txt"));

    const TFileDialogRequest open = OpenTableRequest(QStringLiteral("EN"));
    QCOMPARE(open.Title, QStringLiteral("Загрузка таблицы"));
    QCOMPARE(open.Filter, QStringLiteral("Таблица электросчетчика|EN*.TXT;EN*.VXT"));
}

void TstTableFile::fileAccess()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("EN1.txt"));
    WriteTableFile(name, QByteArray("|\xD2\xE8\xEF |\r\nx"));
    QCOMPARE(ReadTableFileLines(name), (QStringList{"|Тип |", "x"}));

    const QString missing = dir.filePath(QStringLiteral("no/such/dir/EN1.txt"));
    try {
        WriteTableFile(missing, "x");
        QFAIL("no error");
    } catch (const TError& e) {
        QVERIFY2(e.Message.startsWith(QStringLiteral("Не удается создать файл \"") + missing + "\". "),
                 qPrintable(e.Message));
    }
    QVERIFY_THROWS_EXCEPTION(TError, ReadTableFileLines(missing));
}

QTEST_APPLESS_MAIN(TstTableFile)
#include "tst_table_file.moc"
