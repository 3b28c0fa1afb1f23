#include "common/error.h"
#include "connection/connection_string.h"
#include "connection/str_prm.h"

#include <QtTest>

class TestConnectionString : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("repetitions");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("framing");
        QTest::addColumn<int>("portNumber");
        QTest::newRow("bare keyword") << "RS232" << 3 << "" << 0 << 0 << "" << 0 << 1;
        QTest::newRow("named rs485") << "Щиток 3=RS485[12,2](4,9600)" << 4 << "Щиток 3" << 12 << 2 << "" << 0 << 4;
        QTest::newRow("opto") << "Opto(1)" << 2 << "" << 0 << 0 << "" << 0 << 1;
        QTest::newRow("serial mask") << "Улица=RS485[0,0,00012345,0](2)" << 4 << "Улица" << 0 << 0 << "00012345" << 0 << 2;
        QTest::newRow("text after keyword") << "X=RS2321(3)" << 3 << "X" << 0 << 0 << "" << 0 << 1;
        QTest::newRow("empty name") << "=RS232[7](3)" << 3 << "" << 7 << 0 << "" << 0 << 3;
        QTest::newRow("framing 5 is plain") << "RS485[0,0,,5]" << 4 << "" << 0 << 0 << "" << 0 << 1;
        QTest::newRow("extended") << "RS485[3,1,,1](2)trailing" << 4 << "" << 3 << 1 << "" << 1 << 2;
        QTest::newRow("address low byte") << "RS232[300]" << 3 << "" << 44 << 0 << "" << 0 << 1;
        QTest::newRow("mbus") << "MBUS(2)" << 5 << "" << 0 << 0 << "" << 0 << 0;
        QTest::newRow("modem") << "Дом=Модем[4](T5551234,2)" << 6 << "Дом" << 4 << 0 << "" << 0 << 0;
        QTest::newRow("plc") << "PLCModem(1)" << 7 << "" << 0 << 0 << "" << 0 << 0;
        QTest::newRow("current loop") << "CL" << 8 << "" << 0 << 0 << "" << 0 << 0;
        QTest::newRow("tcp") << "Шлюз=XPort[1](127.0.0.1,abc)" << 9 << "Шлюз" << 1 << 0 << "" << 0 << 0;
    }
    void parses()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        TParsedConnection c = ParseConnection(text);
        QCOMPARE(int(c.Port->TypeId()), type);
        QTEST(c.Name, "name");
        QTEST(int(c.NetAddress), "address");
        QTEST(int(c.Repetitions), "repetitions");
        QTEST(c.Mask, "mask");
        QTEST(int(c.Framing), "framing");
        QTEST(int(c.Port->PortNumber()), "portNumber");
        QCOMPARE(int(GetNetAddress(text)), int(c.NetAddress));
    }

    void rejects_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("no bracket") << "X=RS232[5" << "Не могу создать соединение '[5'";
        QTest::newRow("unknown type") << "X=Foo(1)" << "Не могу создать соединение 'Foo(1)'";
        QTest::newRow("no parenthesis") << "RS485(2" << "Не могу создать соединение '(2'";
        QTest::newRow("opto speed") << "Opto(1,9600)" << "Ошибка задания параметров последовательного порта";
        QTest::newRow("mbus toggle") << "MBUS(1,9600,no,togle)" << "Ошибка задания параметров последовательного порта";
        QTest::newRow("port zero") << "RS232(0)" << "Ошибка задания параметров последовательного порта";
        QTest::newRow("modem port zero") << "Модем(T1,0)" << "Ошибка задания параметров модема";
    }
    void rejects()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            ParseConnection(text);
            QFAIL("must fail");
        } catch (const TError& e) {
            QCOMPARE(e.Message, message);
        }
    }

    void setNetAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("result");
        QTest::newRow("in list") << "A=RS485[5,3,,1](2)" << 9 << "A=RS485[9,3,,1](2)";
        QTest::newRow("added") << "A=RS485(2)" << 9 << "A=RS485[9](2)";
        QTest::newRow("out of range") << "RS485" << 300 << "RS485";
        QTest::newRow("no name") << "RS485" << 9 << "=RS485[9]";
        QTest::newRow("only address") << "B=Opto[17](1)" << 0 << "B=Opto[0](1)";
    }
    void setNetAddress()
    {
        QFETCH(QString, text);
        QFETCH(int, address);
        QTEST(SetNetAddress(text, address), "result");
    }

    void commaListRules()
    {
        TStrPrm list(QStringLiteral("7,,x,300,0"));
        uint8_t a = 1, b = 2, c = 3, d = 4;
        bool flag = false, absent = false;
        QCOMPARE(list.ReadByte(a), 1);
        QCOMPARE(list.ReadByte(b), 0);   // empty keeps
        QCOMPARE(list.ReadByte(c), 1);   // not a number keeps
        QCOMPARE(list.ReadByte(d), 3);   // stored into a byte
        QCOMPARE(list.ReadBool(flag), 1);
        QCOMPARE(list.ReadBool(absent), -1);
        QCOMPARE(int(a), 7);
        QCOMPARE(int(b), 2);
        QCOMPARE(int(c), 3);
        QCOMPARE(int(d), 44);
        QVERIFY(!flag);
        QVERIFY(absent);

        TStrPrm writer;
        writer.Skip();
        writer.AddNumber(9600);
        writer.Skip();
        writer.AddText(QStringLiteral("togle"));
        writer.Skip();
        writer.Skip();
        QCOMPARE(writer.Result(), QString(",9600,,togle"));
    }
};

QTEST_APPLESS_MAIN(TestConnectionString)
#include "tst_connection_string.moc"
