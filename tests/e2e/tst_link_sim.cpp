// The link and the command layer against zv301-sim processes: TCP and a real
// termios port on a pty, modem dial-up, test-bench switching, cancel.
#include "support/error_of.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"
#include "device/device.h"
#include "device/device_exception.h"
#include "support/scripted_prompter.h"
#include "support/sim_process.h"

#include <QLocalServer>
#include <QtTest>

namespace {

// A wait window whose "Отмена" is pressed at a chosen moment.
class TTimedCancel : public IWaitWindow {
public:
    explicit TTimedCancel(int afterMs) : AfterMs(afterMs) { Clock.start(); }
    void SetStatusText(const QString& text) override { Status = text; }
    QString StatusText() const override { return Status; }
    bool Cancelled() const override { return Clock.elapsed() >= AfterMs; }
    qint64 SinceCancel() const { return Clock.elapsed() - AfterMs; }

private:
    QElapsedTimer Clock;
    int AfterMs;
    QString Status;
};

}  // namespace

class TestLinkSim : public QObject {
    Q_OBJECT
    QTemporaryDir Home;

    QString Settings() const { return Home.filePath(QStringLiteral("vexa.cfg")); }
    QString MapPty(const QString& path, int com)
    {
        TMyIniFile(Settings()).WriteString(QStringLiteral("ports"), QStringLiteral("COM%1").arg(com), path);
        return QString::number(com);
    }

private Q_SLOTS:
    void initTestCase() { qputenv("VEXA_HOME", Home.path().toLocal8Bit()); }

    void ptyPortKeptAcrossReconnects()
    {
        TSimProcess sim({QStringLiteral("--version"), QStringLiteral("1.15")}, true);
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TDevice device;
        const QString port = MapPty(sim.PtyPath, 4);
        QCOMPARE(device.Connect(QStringLiteral("Щит=RS485[1,2](%1,19200,,,,200)").arg(port)), 0);
        const TPort* opened = &device.Connection().GetPort();
        QCOMPARE(device.GetSoftVersion(), 115);
        QCOMPARE(device.GetMeterType(), 2);
        // Another address is not a transport setting: the open port stays.
        device.Connect(QStringLiteral("Щит=RS485[9,2](%1,19200,,,,200)").arg(port));
        QCOMPARE(&device.Connection().GetPort(), opened);
        QCOMPARE(ErrorOf([&] { device.Read(20); }), QString("Нет связи с электросчетчиком"));
        QCOMPARE(device.GetStatistics().RxErrors, 3u);
        device.Disconnect();
    }

    void tcpReplyInPiecesCompletesByCrc()
    {
        TSimProcess sim({QStringLiteral("--split"), QStringLiteral("4:40")});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TDevice device;
        // Extended framing by serial number, inverted CRC, reply in four pieces.
        device.Connect(sim.XPortConnection(QStringLiteral("[0,0,00012345,1]")));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(QByteArray(device.Read(20).Text()), QByteArray("3.02"));
        // Completion by CRC: no wait for the 10 s stream time-out.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(device.Connection().GetLastSerial(), QString("00012345"));
    }

    void writeInSessionAndWrongPassword()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TDevice device;
        device.Connect(sim.XPortConnection());
        device.OpenSession(kSessionMain);
        device.WriteEx(22, 0, "USER0042", 8);
        device.CloseSession();
        QCOMPARE(QByteArray(device.Read(22).Text()).left(8), QByteArray("USER0042"));
        QVERIFY(prompter.PasswordPrompts.isEmpty());

        device.ChangePassword(QStringLiteral("k9"));
        QVERIFY(!device.TryPassword(0, QStringLiteral("24681357")));
        prompter.PasswordAnswers << QStringLiteral("wrong") << QStringLiteral("k9");
        device.OpenSession(kSessionMain);
        QCOMPARE(prompter.PasswordPrompts,
                 QStringList({QStringLiteral("Введите основной пароль"), QStringLiteral("Введите основной пароль")}));
        device.CloseSession();
        try {
            device.OpenSession(kSessionMain);  // no answers left: the prompt is cancelled
            QFAIL("a cancelled prompt must refuse");
        } catch (const TDeviceException& e) {
            QCOMPARE(e.Code, 4);
            QCOMPARE(e.Message, QString("Несанкционированный доступ"));
        }
    }

    void cancelEndsLongWaitAtOnce()
    {
        TSimProcess sim({QStringLiteral("--silent")}, true);
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        const QStringList connections = {
            QStringLiteral("XPort[1](127.0.0.1,%1,20000,0,3000,0,0)").arg(sim.TcpPort),
            QStringLiteral("RS232[1](%1,9600,,,,20000)").arg(MapPty(sim.PtyPath, 6)),
        };
        for (const QString& connection : connections) {
            TDevice device;
            device.Connect(connection);
            TTimedCancel cancel(300);
            SetCurrentWaitWindow(&cancel);
            const QString error = ErrorOf([&] { device.Read(20); });
            const qint64 late = cancel.SinceCancel();
            SetCurrentWaitWindow(nullptr);
            QCOMPARE(error, QString("Обмен прерван пользователем !"));
            QVERIFY2(late < 100, qPrintable(connection + ": " + QString::number(late) + " ms"));
            device.Disconnect();
        }
    }

    void modemDialsThroughSimulator()
    {
        TSimProcess sim({QStringLiteral("--modem")}, true);
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TDevice device;
        const QString connection = QStringLiteral("Дача=Модем[1](T5551234,%1,&F,20,45,9600,0)")
                                       .arg(MapPty(sim.PtyPath, 8));
        QCOMPARE(device.Connect(connection), 45);  // the idle seconds
        QCOMPARE(QByteArray(device.Read(20).Text()), QByteArray("3.02"));
        device.Disconnect();  // hangs up
        QCOMPARE(device.Connect(connection), 45);  // dials again
        QCOMPARE(device.GetSoftVersion(), 302);
        device.Disconnect();

        TSimProcess busy({QStringLiteral("--modem"), QStringLiteral("--modem-answer"), QStringLiteral("BUSY")}, true);
        QVERIFY2(busy.Started(), qPrintable(busy.Error()));
        TDevice other;
        QCOMPARE(ErrorOf([&] {
                     other.Connect(QStringLiteral("Модем(T1,%1,,5,,,0)").arg(MapPty(busy.PtyPath, 9)));
                 }),
                 QString("Телефонная линия занята"));
    }

    void testBenchSwitchesBeforeOpening()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        const QString title = QStringLiteral("Стенд %1").arg(QCoreApplication::applicationPid());
        TMyIniFile(Settings()).WriteString(QStringLiteral("common"), QStringLiteral("clou_title"), title);
        TMyIniFile(Settings()).WriteString(QStringLiteral("common"), QStringLiteral("clou_timeout"), QStringLiteral("2"));
        const QString place12 = QStringLiteral("CLOU_12=XPort[1](127.0.0.1,%1,2000,0,3000,0,0)").arg(sim.TcpPort);
        TDevice device;
        QCOMPARE(ErrorOf([&] { device.Connect(place12); }), QString("Не найдена программа CHECK.EXE управления CLOU"));

        QProcess bench;
        bench.start(QStringLiteral(ZV301_SIM_PATH), {QStringLiteral("--bench-server"), title});
        QVERIFY(bench.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(ErrorOf([&] { device.Connect(place12); }), QString(), 5000);
        QCOMPARE(device.GetSoftVersion(), 302);
        bench.terminate();
        bench.waitForFinished();

        bench.start(QStringLiteral(ZV301_SIM_PATH),
                    {QStringLiteral("--bench-server"), title, QStringLiteral("--bench-answer"), QStringLiteral("-2")});
        QVERIFY(bench.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(ErrorOf([&] { device.Connect(place12); }),
                                  QString("Ошибка установки места 12 в программе CHECK.EXE управления CLOU"), 5000);
        bench.terminate();
        bench.waitForFinished();
        TMyIniFile(Settings()).WriteString(QStringLiteral("common"), QStringLiteral("clou_title"), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinkSim)
#include "tst_link_sim.moc"
