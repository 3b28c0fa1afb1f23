#include "support/error_of.h"
#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"
#include "connection/modem.h"
#include "support/pty_pair.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Polls between two pieces of one answer: far more than the inner port's
// 48 ms of silence that ends a response (the pump runs at most once a ms).
const int kGapPolls = 100;

// The modem, played on the master side of a pty by the event pump. Every
// command gets the answer pieces scripted for its first word, kGapPolls apart.
struct TModemPeer {
    explicit TModemPeer(TPtyPair& pty) : Pty(pty) {}

    TPtyPair& Pty;
    QStringList Commands;   // "AT...\r" as received, and "+++"
    QByteArray Data;        // bytes received while the call is up
    QMap<QString, QList<QByteArray>> Script;  // command start -> answer pieces
    bool Online = false;

    void Poll()
    {
        ++Polls;
        while (!Pending.isEmpty() && Pending.first().first <= Polls) Pty.Write(Pending.takeFirst().second);
        Input += Pty.ReadAvailable();
        for (;;) {
            QByteArray command;
            if (Input.startsWith("+++")) {
                command = Input.left(3);
            } else if (Online) {
                Data += Input;
                Input.clear();
                return;
            } else {
                const int cr = Input.indexOf('\r');
                if (cr < 0) return;
                command = Input.left(cr + 1);
            }
            Input.remove(0, command.size());
            Answer(QString::fromLatin1(command));
        }
    }

private:
    void Answer(const QString& command)
    {
        Commands.append(command);
        Online = false;
        int at = Polls;
        for (auto it = Script.cbegin(); it != Script.cend(); ++it) {
            if (!command.startsWith(it.key())) continue;
            for (const QByteArray& piece : it.value()) {
                Pending.append({at, piece == "<echo>" ? command.toLatin1() : piece});
                Online = Online || piece.contains("CONNECT");
                at += kGapPolls;
            }
        }
    }

    int Polls = 0;
    QByteArray Input;
    QList<QPair<int, QByteArray>> Pending;
};

class TStatusWindow : public IWaitWindow {
public:
    void SetStatusText(const QString& text) override { Texts.append(text); }
    QString StatusText() const override { return Texts.isEmpty() ? QString() : Texts.last(); }
    bool Cancelled() const override { return false; }
    QStringList Texts;
};

const QByteArray kOk("\r\nOK\r\n");

void ScriptWorkingModem(TModemPeer& peer)
{
    peer.Script[QStringLiteral("AT&F")] = {"<echo>", kOk};
    peer.Script[QStringLiteral("ATD")] = {"<echo>", "\r\nCONNECT 9600\r\n"};
    peer.Script[QStringLiteral("+++")] = {kOk};
    peer.Script[QStringLiteral("ATH")] = {"<echo>", kOk};
}

}  // namespace

class TestModem : public QObject {
    Q_OBJECT

    QTemporaryDir Home;
    std::unique_ptr<TPtyPair> Pty;
    std::unique_ptr<TModemPeer> Peer;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Home.isValid());
        qputenv("VEXA_HOME", Home.path().toLocal8Bit());
    }

    void init()
    {
        Pty = std::make_unique<TPtyPair>();
        QVERIFY(Pty->IsOpen());
        TMyIniFile(SettingsFilePath()).WriteString(QStringLiteral("ports"), QStringLiteral("COM4"), Pty->SlavePath());
        Peer = std::make_unique<TModemPeer>(*Pty);
        ScriptWorkingModem(*Peer);
        SetEventPump([this] { Peer->Poll(); });
    }

    void cleanup()
    {
        SetEventPump(nullptr);
        SetCurrentWaitWindow(nullptr);
    }

    void rejects_data()
    {
        QTest::addColumn<QString>("params");
        QTest::newRow("port 0") << "T1,0";
        QTest::newRow("baud 99") << "T1,1,,30,30,99";
        QTest::newRow("baud 115201") << "T1,1,,30,30,115201";
    }

    void rejects()
    {
        QFETCH(QString, params);
        QCOMPARE(ErrorOf([&] { TModem modem(params); }), QStringLiteral("Ошибка задания параметров модема"));
    }

    void writer_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("text");
        QTest::newRow("defaults") << "" << "";
        QTest::newRow("defaults written out") << "T123,1,,30,30,9600,1" << "T123";
        QTest::newRow("all changed") << "P8-800,2,&F,60,10,19200,0" << "P8-800,2,&F,60,10,19200,0";
        QTest::newRow("inner defaults empty") << ",3,,,,,0" << ",3,,,,,0";
    }

    void writer()
    {
        QFETCH(QString, params);
        const TModemPrm prm = ParseModemPrm(params);
        QTEST(ModemPrmText(prm), "text");
        QVERIFY(ParseModemPrm(ModemPrmText(prm)) == prm);
    }

    void callLifecycle()
    {
        TStatusWindow window;
        SetCurrentWaitWindow(&window);
        TModem modem(QStringLiteral("T5551234,4,&F"));
        QCOMPARE(modem.Open(), 30);
        QCOMPARE(Peer->Commands, QStringList({"AT&FE1S7=30\r", "ATDT5551234\r"}));
        QCOMPARE(window.Texts, QStringList({"Инициализация модема...", "Ожидание соединения с  5551234"}));
        QCOMPARE(modem.State(), TModem::msOnline);

        const QByteArray frame("\x01\x03\x10\x00\xAB\xCD", 6);
        QCOMPARE(modem.Send(reinterpret_cast<const uint8_t*>(frame.constData()), frame.size()), frame.size());
        uint8_t buffer[64];
        Pty->Write("\x01\x02\r\nNO CARRIER\r\n");
        Peer->Online = false;
        QCOMPARE(ErrorOf([&] { modem.Receive(buffer, sizeof buffer, 0); }),
                 QStringLiteral("Удаленный модем разорвал соединение"));
        QCOMPARE(Peer->Data, frame);
        QCOMPARE(modem.State(), TModem::msLineDown);
        QCOMPARE(modem.Send(buffer, 1), 0);

        Peer->Commands.clear();
        QCOMPARE(modem.Open(), 30);
        QCOMPARE(Peer->Commands, QStringList({"ATDT5551234\r"}));  // no second initialisation

        // Dropped by the idle countdown: no wait window, the call still ends.
        SetCurrentWaitWindow(nullptr);
        modem.Close();
        QCOMPARE(Peer->Commands, QStringList({"ATDT5551234\r", "+++", "ATH\r"}));
        QCOMPARE(modem.State(), TModem::msLineDown);
    }

    void openOutcomes_data()
    {
        QTest::addColumn<QList<QByteArray>>("initAnswer");
        QTest::addColumn<QList<QByteArray>>("dialAnswer");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("state");
        const QList<QByteArray> echoOk{"<echo>", kOk};
        QTest::newRow("numeric OK, ringing, connect")
            << QList<QByteArray>{"0\r"} << QList<QByteArray>{"<echo>", "\r\nRINGING\r\n", "\r\nCONNECT\r\n"} << "" << 2;
        QTest::newRow("second echo is the answer")
            << QList<QByteArray>{"<echo>", "<echo>"} << QList<QByteArray>{} << "Ошибка в строке запроса к модему: &FE1S7=30" << 0;
        QTest::newRow("busy") << echoOk << QList<QByteArray>{"<echo>", "\r\nBUSY\r\n"} << "Телефонная линия занята" << 0;
        QTest::newRow("no carrier")
            << echoOk << QList<QByteArray>{"<echo>", "\r\nNO CARRIER\r\n"} << "Нет связи с удаленным модемом" << 0;
        QTest::newRow("no dial tone")
            << echoOk << QList<QByteArray>{"\r\nNO DIAL TONE\r\n"} << "Модем не подключен к телефонной линии" << 0;
        QTest::newRow("error") << echoOk << QList<QByteArray>{"\r\nERROR\r\n"} << "Ошибка при наборе номера абонента" << 0;
    }

    void openOutcomes()
    {
        QFETCH(QList<QByteArray>, initAnswer);
        QFETCH(QList<QByteArray>, dialAnswer);
        Peer->Script[QStringLiteral("AT&F")] = initAnswer;
        Peer->Script[QStringLiteral("ATD")] = dialAnswer;
        TModem modem(QStringLiteral("P2345,4,&F"));
        QTEST(ErrorOf([&] { modem.Open(); }), "error");
        QTEST(int(modem.State()), "state");
    }
};

QTEST_GUILESS_MAIN(TestModem)
#include "tst_modem.moc"
