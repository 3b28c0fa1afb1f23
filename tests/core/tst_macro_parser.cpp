#include "app/macro_engine.h"
#include "common/text_codec.h"

#include <QtTest>

class TestMacroParser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parsesLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isCommand");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("arg");
        QTest::newRow("empty") << "" << false << "" << "";
        QTest::newRow("blanks and controls") << " \t\x01 " << false << "" << "";
        QTest::newRow("comment") << "// Read" << false << "" << "";
        QTest::newRow("indented comment, one paren") << "  \t// SaveToFile(" << false << "" << "";
        QTest::newRow("single slash is a name") << "/Read" << true << "/Read" << "";
        QTest::newRow("name") << "Read" << true << "Read" << "";
        QTest::newRow("name trimmed") << "\x02 Read \t\r" << true << "Read" << "";
        QTest::newRow("slashes inside") << "Read//x" << true << "Read//x" << "";
        QTest::newRow("argument") << "SelectPage(Энергия)" << true << "SelectPage" << "Энергия";
        QTest::newRow("argument not trimmed") << "SaveToFile( e.txt )" << true << "SaveToFile" << " e.txt ";
        QTest::newRow("empty argument") << "Pause()" << true << "Pause" << "";
        QTest::newRow("nested parens") << "SaveToFile(a(1).txt)" << true << "SaveToFile" << "a(1).txt";
        QTest::newRow("after last paren ignored") << "Pause(2) now" << true << "Pause" << "2";
        QTest::newRow("blank before paren") << "Read (x)" << true << "Read " << "x";
        QTest::newRow("close before open") << "a)b(c" << true << "a)b" << "";
        QTest::newRow("nbsp is not trimmed") << QString::fromUtf8("Read\u00A0") << true
                                             << QString::fromUtf8("Read\u00A0") << "";
    }
    void parsesLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, isCommand);
        QFETCH(QString, name);
        QFETCH(QString, arg);
        const TMacroCommand command = ParseMacroLine(line);
        QCOMPARE(command.IsCommand, isCommand);
        QCOMPARE(command.Name, name);
        QCOMPARE(command.Arg, arg);
    }

    void refusesOneParen_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("open only") << "  SaveToFile(e.txt\t" << QString::fromUtf8("Неправильная команда: SaveToFile(e.txt");
        QTest::newRow("close only") << "Read)" << QString::fromUtf8("Неправильная команда: Read)");
    }
    void refusesOneParen()
    {
        QFETCH(QString, line);
        QFETCH(QString, message);
        try {
            ParseMacroLine(line);
            QFAIL("no error");
        } catch (const TError& e) {
            QCOMPARE(e.Message, message);
        }
    }

    void splitsFileText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("mixed ends") << QByteArray("A\r\nB\rC\nD") << QStringList{"A", "B", "C", "D"};
        QTest::newRow("empty lines kept") << QByteArray("A\r\n\r\nB\r\n") << QStringList{"A", "", "B"};
        QTest::newRow("utf-8") << QByteArray("SelectPage(Энергия)\n")
                               << QStringList{QString::fromUtf8("SelectPage(Энергия)")};
        QTest::newRow("cp1251") << EncodeCp1251(QString::fromUtf8("SelectPage(Энергия)\r\nRead"))
                                << QStringList{QString::fromUtf8("SelectPage(Энергия)"), "Read"};
    }
    void splitsFileText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitMacroText(bytes), lines);
    }
};

QTEST_APPLESS_MAIN(TestMacroParser)
#include "tst_macro_parser.moc"
