// The meter search against two simulated meters on one bus behind a TCP
// gateway: their simultaneous answers collide, and the search takes the
// masks apart until each answers alone.
#include "support/sim_process.h"
#include "tools/meter_search.h"

#include <QtTest>

class TestMeterSearchSim : public QObject {
    Q_OBJECT
    QTemporaryDir Home;

private Q_SLOTS:
    void initTestCase() { qputenv("VEXA_HOME", Home.path().toLocal8Bit()); }

    void findsBothMetersOnOneBus()
    {
        TSimProcess sim({"--meter", "00012345:1", "--meter", "00012399:2"});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TConnection link;
        TMeterSearch search(link);
        search.LoSN = QStringLiteral("0001");
        search.HiSN = QStringLiteral("0001");
        search.TimeoutMs = 200;
        // Addressed by network address in the string: the search switches to serial numbers.
        search.Connect(sim.XPortConnection(QStringLiteral("[1]")));
        search.Run();
        link.Disconnect();
        QCOMPARE(search.Found(), (QStringList{"00012345", "00012399"}));
    }
};

QTEST_GUILESS_MAIN(TestMeterSearchSim)
#include "tst_meter_search.moc"
