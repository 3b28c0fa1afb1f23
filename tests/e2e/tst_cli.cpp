// vexa-cli against zv301-sim processes, over TCP and over a pty.
#include "common/my_ini_file.h"
#include "support/sim_process.h"

#include <QtTest>

class TestCli : public QObject {
    Q_OBJECT
    QTemporaryDir Home;

    QString MapPty(const TSimProcess& sim, int com)
    {
        TMyIniFile(Home.filePath(QStringLiteral("vexa.cfg")))
            .WriteString(QStringLiteral("ports"), QStringLiteral("COM%1").arg(com), sim.PtyPath);
        return QStringLiteral("Пульт=RS485[1](%1,9600)").arg(com);
    }

private Q_SLOTS:
    void readsIdentityOverTcpAndPty()
    {
        TSimProcess sim({QStringLiteral("--meter"), QStringLiteral("00012345:1"),
                         QStringLiteral("--type"), QStringLiteral("258"),
                         QStringLiteral("--version"), QStringLiteral("3.02")}, true);
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        for (const QString& connection : {sim.XPortConnection(), MapPty(sim, 5)}) {
            const TCliResult type = RunCli({"-c", connection, "type"}, Home.path());
            QCOMPARE(type.ExitCode, 0);
            QCOMPARE(type.Out, QString("2"));
            const TCliResult version = RunCli({"-c", connection, "version"}, Home.path());
            QCOMPARE(version.Out, QString("302"));
            const TCliResult serial = RunCli({"-c", connection, "read", "18"}, Home.path());
            QCOMPARE(serial.ExitCode, 0);
            QCOMPARE(serial.Out, QString("30 30 30 30 30 31 32 33 34 35"));
        }
    }

    void exitCodesTellMeterErrorsFromLinkErrors()
    {
        TSimProcess sim({QStringLiteral("--status"), QStringLiteral("18:2")});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        const TCliResult refused = RunCli({"-c", sim.XPortConnection(), "read", "18"}, Home.path());
        QCOMPARE(refused.ExitCode, 2);
        QCOMPARE(refused.Err, QString("Параметр недоступен"));

        const TCliResult wrongAddress = RunCli({"-c", sim.XPortConnection("[77]"), "read", "20"}, Home.path());
        QCOMPARE(wrongAddress.ExitCode, 3);
        QCOMPARE(wrongAddress.Err, QString("Нет связи с электросчетчиком"));

        const TCliResult usage = RunCli({"-c", sim.XPortConnection(), "frobnicate"}, Home.path());
        QCOMPARE(usage.ExitCode, 3);
    }

    void writeInsideSessionWithPassword()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        const QString c = sim.XPortConnection();
        // The factory password opens the session without asking.
        QCOMPARE(RunCli({"-c", c, "write", "22", "0", "4142434445464748"}, Home.path()).ExitCode, 0);
        QCOMPARE(RunCli({"-c", c, "read", "22"}, Home.path()).Out.left(23), QString("41 42 43 44 45 46 47 48"));

        // After the main password changed, a wrong one is refused and a right one accepted.
        QCOMPARE(RunCli({"-c", c, "password", "secret1"}, Home.path()).ExitCode, 0);
        const TCliResult wrong = RunCli({"-c", c, "--password", "nope", "password", "other"}, Home.path());
        QCOMPARE(wrong.ExitCode, 2);
        QCOMPARE(wrong.Err, QString("Несанкционированный доступ"));
        const TCliResult right = RunCli({"-c", c, "--password", "secret1", "--stats", "password", "other"},
                                        Home.path());
        QCOMPARE(right.ExitCode, 0);
        QVERIFY2(right.Out.contains("Good"), qPrintable(right.Out));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
