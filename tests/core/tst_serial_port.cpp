#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"
#include "connection/com_names.h"
#include "connection/serial_port.h"
#include "support/pty_pair.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

std::unique_ptr<TCom> MakeCom(const QString& cls, const QString& params)
{
    if (cls == QLatin1String("Com")) return std::make_unique<TCom>(params);
    if (cls == QLatin1String("ComWithEcho")) return std::make_unique<TComWithEcho>(params);
    if (cls == QLatin1String("RS232")) return std::make_unique<TRS232>(params);
    if (cls == QLatin1String("Opto")) return std::make_unique<TOpto>(params);
    if (cls == QLatin1String("RS485")) return std::make_unique<TRS485>(params);
    if (cls == QLatin1String("MBUS")) return std::make_unique<TMBUS>(params);
    if (cls == QLatin1String("CL")) return std::make_unique<TCL>(params);
    return std::make_unique<TPLCModem>(params);
}

QString Fields(const TComPrm& p)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8")
        .arg(p.PortNo).arg(p.BaudRate).arg(p.Parity).arg(p.LineMode).arg(p.StopBits)
        .arg(p.ReadTimeout).arg(p.InterByte).arg(p.Echo);
}

// "1=/dev/a;2=/dev/b" <-> number -> path
QMap<int, QString> ToMap(const QString& text)
{
    QMap<int, QString> map;
    for (const QString& item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        map.insert(item.section(QLatin1Char('='), 0, 0).toInt(), item.section(QLatin1Char('='), 1));
    return map;
}

QString FromMap(const QMap<int, QString>& map)
{
    QStringList items;
    for (auto it = map.cbegin(); it != map.cend(); ++it) items.append(QString::number(it.key()) + QLatin1Char('=') + it.value());
    return items.join(QLatin1Char(';'));
}

void MapPort(int n, const QString& path)
{
    TMyIniFile(SettingsFilePath()).WriteString(QStringLiteral("ports"), QStringLiteral("COM%1").arg(n), path);
}

QByteArray ReceiveBytes(TPort& port, int max, int timeoutMs = 0)
{
    QByteArray buffer(max, '\0');
    const int n = port.Receive(reinterpret_cast<uint8_t*>(buffer.data()), max, timeoutMs);
    return buffer.left(n);
}

int SendBytes(TPort& port, const QByteArray& bytes)
{
    return port.Send(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size());
}

// The far end of the line, run by the event pump the port calls on every
// poll (at most one call a millisecond), so its timing is counted in polls.
struct TLinePeer {
    explicit TLinePeer(TPtyPair& pty) : Pty(pty) {}

    TPtyPair& Pty;
    QList<QPair<int, QByteArray>> Plan;  // (poll number, bytes to write)
    bool Echo = false;
    bool CorruptEcho = false;
    QByteArray Reply;  // written after the echo of anything received
    int Polls = 0;

    void Poll()
    {
        ++Polls;
        while (!Plan.isEmpty() && Plan.first().first <= Polls) Pty.Write(Plan.takeFirst().second);
        QByteArray got = Pty.ReadAvailable();
        if (got.isEmpty()) return;
        if (CorruptEcho) got[0] = char(got[0] ^ 0x40);
        Pty.Write((Echo ? got : QByteArray()) + Reply);
    }
};

class TCancelAfter : public IWaitWindow {
public:
    explicit TCancelAfter(qint64 ms) : After(ms) { Clock.start(); }
    void SetStatusText(const QString&) override {}
    QString StatusText() const override { return QString(); }
    bool Cancelled() const override { return Clock.elapsed() >= After; }

private:
    QElapsedTimer Clock;
    qint64 After;
};

}  // namespace

class TestSerialPort : public QObject {
    Q_OBJECT

    QTemporaryDir Home;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Home.isValid());
        qputenv("VEXA_HOME", Home.path().toLocal8Bit());
    }

    void cleanup()
    {
        SetEventPump(nullptr);
        SetCurrentWaitWindow(nullptr);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<int>("typeId");
        QTest::addColumn<int>("portNumber");
        QTest::addColumn<int>("maxReply");
        QTest::newRow("RS232 defaults") << "RS232" << "" << "1,9600,0,0,1,0,0,0" << 3 << 1 << 128;
        QTest::newRow("port and baud") << "RS232" << "3,9600" << "3,9600,0,0,1,0,0,0" << 3 << 3 << 128;
        QTest::newRow("all fields") << "RS232" << "4,100,odd,hard,2,150,7,1" << "4,100,1,2,2,150,7,1" << 3 << 4 << 128;
        QTest::newRow("not numbers keep defaults") << "RS232" << "x,fast,,,y,z" << "1,9600,0,0,1,0,0,0" << 3 << 1 << 128;
        QTest::newRow("unknown words are 0") << "RS485" << "2,115200,none,auto" << "2,115200,0,0,1,0,0,0" << 4 << 2 << 128;
        QTest::newRow("byte field keeps low 8 bits") << "RS232" << "258" << "2,9600,0,0,1,0,0,0" << 3 << 2 << 128;
        QTest::newRow("RS485") << "RS485" << "2,19200,even,togle" << "2,19200,2,3,1,0,0,0" << 4 << 2 << 128;
        QTest::newRow("Opto") << "Opto" << "1" << "1,2400,2,1,1,0,0,0" << 2 << 1 << 128;
        QTest::newRow("MBUS") << "MBUS" << "5" << "5,9600,0,0,1,0,0,1" << 5 << 0 << 128;
        QTest::newRow("CL") << "CL" << "3,4800" << "3,4800,0,0,1,0,0,1" << 8 << 0 << 128;
        QTest::newRow("PLCModem") << "PLCModem" << "6" << "6,300,0,0,1,2000,100,0" << 7 << 0 << 50;
        QTest::newRow("Com") << "Com" << "2" << "2,9600,0,0,1,0,0,0" << 1 << 0 << 128;
        QTest::newRow("ComWithEcho") << "ComWithEcho" << "2" << "2,9600,0,0,1,0,0,1" << 1 << 0 << 128;
    }

    void parse()
    {
        QFETCH(QString, cls);
        QFETCH(QString, params);
        const std::unique_ptr<TCom> port = MakeCom(cls, params);
        QTEST(Fields(port->Prm()), "fields");
        QTEST(int(port->TypeId()), "typeId");
        QTEST(int(port->PortNumber()), "portNumber");
        QTEST(port->MaxReplySize(), "maxReply");
    }

    void rejects_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("params");
        QTest::newRow("Opto other baud") << "Opto" << "1,9600";
        QTest::newRow("Opto odd parity") << "Opto" << "1,2400,odd";
        QTest::newRow("Opto line mode no") << "Opto" << "1,2400,even,no";
        QTest::newRow("Opto two stop bits") << "Opto" << "1,2400,even,supply,2";
        QTest::newRow("MBUS togle") << "MBUS" << "1,9600,no,togle";
        QTest::newRow("CL supply") << "CL" << ",,,supply";
        QTest::newRow("ComWithEcho hard") << "ComWithEcho" << ",,,hard";
        QTest::newRow("port 0") << "RS232" << "0";
        QTest::newRow("port 256 is 0") << "RS232" << "256";
        QTest::newRow("baud 99") << "RS232" << "1,99";
        QTest::newRow("baud 115201") << "RS485" << "1,115201";
        QTest::newRow("stop bits 3") << "RS232" << "1,9600,no,no,3";
        QTest::newRow("stop bits 0") << "PLCModem" << "1,300,no,no,0";
    }

    void rejects()
    {
        QFETCH(QString, cls);
        QFETCH(QString, params);
        try {
            MakeCom(cls, params);
            QFAIL("accepted");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QStringLiteral("Ошибка задания параметров последовательного порта"));
        }
    }

    void writer_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("text");
        QTest::newRow("port 3") << "RS232" << "3,9600,no,no,1,0,0,0" << "3";
        QTest::newRow("all defaults") << "RS232" << "1,9600,no,no,1" << "";
        QTest::newRow("inner defaults empty") << "RS232" << "1,9600,odd,hard,2,150,7,1" << ",,odd,hard,2,150,7,1";
        QTest::newRow("RS485 togle is default") << "RS485" << "2,19200,even,togle" << "2,19200,even";
        QTest::newRow("RS485 line mode no") << "RS485" << "2,9600,no,no" << "2,,,no";
        QTest::newRow("CL without echo") << "CL" << "1,9600,no,no,1,0,0,0" << ",,,,,,,0";
        QTest::newRow("PLCModem defaults") << "PLCModem" << "1,300,no,no,1,2000,100,0" << "";
        QTest::newRow("PLCModem automatic gap") << "PLCModem" << "1,300,no,no,1,2000,0" << ",,,,,,0";
    }

    void writer()
    {
        QFETCH(QString, cls);
        QFETCH(QString, params);
        const std::unique_ptr<TCom> port = MakeCom(cls, params);
        const QString text = ComPrmText(TPortType(port->TypeId()), port->Prm(), cls == QLatin1String("ComWithEcho"));
        QTEST(text, "text");
        QCOMPARE(Fields(MakeCom(cls, text)->Prm()), Fields(port->Prm()));
    }

    void timeouts_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<int>("rxFifo");
        QTest::addColumn<QString>("expected");  // gap, inter-byte, multiplier, constant, send of 10 bytes
        QTest::newRow("9600 automatic gap") << "1,9600" << 4 << "8,32,1,2066,2076";
        QTest::newRow("300 PLC defaults") << "1,300,no,no,1,2000,100" << 4 << "100,400,33,4133,4143";
        QTest::newRow("100 baud gap limited") << "1,100" << 4 << "500,2000,100,8400,8410";
        QTest::newRow("two stop bits, FIFO 1 means 4") << "1,9600,no,no,2" << 1 << "9,36,1,2066,2076";
        QTest::newRow("115200 at least 1, FIFO 16") << "1,115200,no,no,1,300" << 16 << "1,16,1,305,315";
    }

    void timeouts()
    {
        QFETCH(QString, params);
        QFETCH(int, rxFifo);
        const TComTimeouts t = ComputeComTimeouts(TRS232(params).Prm(), rxFifo);
        QTEST(QStringLiteral("%1,%2,%3,%4,%5")
                  .arg(t.Gap)
                  .arg(t.InterByte)
                  .arg(t.Multiplier)
                  .arg(t.Constant)
                  .arg(t.SendTotal(10)),
              "expected");
    }

    void numbering_data()
    {
        QTest::addColumn<QString>("mapped");
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QString>("numbered");
        QTest::addColumn<QString>("added");
        QTest::newRow("ttyS built in, new device next")
            << "" << QStringList{"/dev/ttyUSB0", "/dev/ttyS0"} << "1=/dev/ttyS0;2=/dev/ttyUSB0" << "2=/dev/ttyUSB0";
        QTest::newRow("mapping overrides ttyS")
            << "1=/dev/ttyUSB0" << QStringList{"/dev/ttyS0", "/dev/ttyUSB0"} << "1=/dev/ttyUSB0;2=/dev/ttyS0" << "2=/dev/ttyS0";
        QTest::newRow("lowest free number")
            << "3=/dev/ttyUSB1" << QStringList{"/dev/ttyUSB1", "/dev/ttyUSB0", "/dev/ttyS1"}
            << "1=/dev/ttyUSB0;2=/dev/ttyS1;3=/dev/ttyUSB1" << "1=/dev/ttyUSB0";
        QTest::newRow("absent mapped device keeps its number")
            << "1=/dev/ttyACM0" << QStringList{"/dev/ttyUSB0"} << "2=/dev/ttyUSB0" << "2=/dev/ttyUSB0";
    }

    void numbering()
    {
        QFETCH(QString, mapped);
        QFETCH(QStringList, devices);
        QMap<int, QString> added;
        QTEST(FromMap(NumberComDevices(ToMap(mapped), devices, &added)), "numbered");
        QTEST(FromMap(added), "added");
    }

    void openThroughMapping()
    {
        TPtyPair pty;
        QVERIFY(pty.IsOpen());
        MapPort(7, pty.SlavePath());
        QVERIFY(EnumerateComPorts().contains(QStringLiteral("COM7")));
        QCOMPARE(ComDevicePath(7), pty.SlavePath());
        QCOMPARE(ComDevicePath(200), QStringLiteral("/dev/ttyS199"));

        TRS232 port(QStringLiteral("7,9600"));
        QCOMPARE(port.Open(), 0);
        QCOMPARE(port.Open(), 0);  // already open: only purges
        QCOMPARE(SendBytes(port, QByteArray("\x01\x02\xFF\x00", 4)), 4);
        QCOMPARE(pty.ReadExactly(4, 2000), QByteArray("\x01\x02\xFF\x00", 4));
        QVERIFY(pty.Write(QByteArray("\x10\x00\x20", 3)));
        QCOMPARE(ReceiveBytes(port, 16), QByteArray("\x10\x00\x20", 3));

        port.Close();
        QCOMPARE(SendBytes(port, "A"), 0);
        QCOMPARE(ReceiveBytes(port, 4), QByteArray());
    }

    void openFailureNamesDevice()
    {
        MapPort(9, QStringLiteral("/nonexistent/ttyQ"));
        TRS232 port(QStringLiteral("9"));
        try {
            port.Open();
            QFAIL("opened");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QStringLiteral("Не могу открыть порт:/nonexistent/ttyQ"));
        }
    }

    void receiveCompletes_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("laterPoll");  // when the peer sends the second piece
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        // gap 5 ms x 4 = 20 ms of silence ends the reply long before poll 300
        QTest::newRow("silence ends") << "7,9600,no,no,1,0,5" << 16 << 300 << QByteArray("AB") << QByteArray("CD");
        // gap 250 ms x 4: a piece a few polls later belongs to the same reply
        QTest::newRow("pieces within the gap join") << "7,9600,no,no,1,0,250" << 16 << 3 << QByteArray("ABCD") << QByteArray();
        QTest::newRow("max bytes end") << "7,9600,no,no,1,0,250" << 3 << 0 << QByteArray("ABC") << QByteArray("D");
    }

    void receiveCompletes()
    {
        QFETCH(QString, params);
        QFETCH(int, max);
        QFETCH(int, laterPoll);
        QFETCH(QByteArray, second);
        TPtyPair pty;
        MapPort(7, pty.SlavePath());
        TRS232 port(params);
        port.Open();
        TLinePeer peer(pty);
        if (laterPoll != 0) peer.Plan.append({laterPoll, QByteArray("CD")});
        pty.Write(laterPoll == 0 ? "ABCD" : "AB");
        SetEventPump([&peer] { peer.Poll(); });
        QTEST(ReceiveBytes(port, max), "first");
        if (!second.isEmpty()) QCOMPARE(ReceiveBytes(port, max), second);
    }

    void echo_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<bool>("corrupt");
        QTest::addColumn<int>("sent");
        QTest::addColumn<QByteArray>("received");
        const QByteArray reply("\x55\xAA", 2);
        QTest::newRow("RS232 delivers the echo") << "RS232" << false << 3 << QByteArray("\x01\x02\x03", 3) + reply;
        QTest::newRow("RS485 togle on a pty") << "RS485" << false << 3 << QByteArray("\x01\x02\x03", 3) + reply;
        QTest::newRow("Opto") << "Opto" << false << 3 << QByteArray("\x01\x02\x03", 3) + reply;
        QTest::newRow("CL removes the echo") << "CL" << false << 3 << reply;
        QTest::newRow("CL wrong echo") << "CL" << true << 0 << reply;
    }

    void echo()
    {
        QFETCH(QString, cls);
        QFETCH(bool, corrupt);
        TPtyPair pty;
        MapPort(7, pty.SlavePath());
        const std::unique_ptr<TCom> port = MakeCom(cls, QStringLiteral("7"));
        port->Open();
        TLinePeer peer(pty);
        peer.Echo = true;
        peer.CorruptEcho = corrupt;
        peer.Reply = QByteArray("\x55\xAA", 2);
        SetEventPump([&peer] { peer.Poll(); });
        QTEST(SendBytes(*port, QByteArray("\x01\x02\x03", 3)), "sent");
        QTEST(ReceiveBytes(*port, 16), "received");
    }

    void cancelDuringReceive()
    {
        TPtyPair pty;
        MapPort(7, pty.SlavePath());
        TRS232 port(QStringLiteral("7"));
        port.Open();
        TCancelAfter window(50);
        SetCurrentWaitWindow(&window);
        QElapsedTimer clock;
        clock.start();
        try {
            ReceiveBytes(port, 16, 60000);
            QFAIL("not cancelled");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QString::fromUtf8(kCancelledMessage));
        }
        QVERIFY2(clock.elapsed() < 2000, "the cancel waited for the receive time-out");
        SetCurrentWaitWindow(nullptr);
        QCOMPARE(SendBytes(port, "Z"), 1);  // the port stays open
        QCOMPARE(pty.ReadExactly(1, 2000), QByteArray("Z"));
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serial_port.moc"
