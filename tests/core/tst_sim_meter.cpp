#include <QtTest>

#include "connection/crc.h"
#include "sim/meter.h"

namespace {

const QByteArray kFactoryPassword = "24681357";
const QDateTime kFrozen(QDate(2024, 5, 15), QTime(10, 20, 30), Qt::UTC);

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values) b.append(char(v));
    return b;
}

QByteArray ReadBody(int param, int a1 = 0, int a2 = 0, int a3 = 0, int cmd = 3)
{
    return Bytes({cmd, param, a1, a2, a3});
}

QByteArray WriteBody(int param, int index, const QByteArray& data)
{
    return Bytes({16, param, index}) + data;
}

QByteArray OpenBody(int level, const QByteArray& password)
{
    return Bytes({31, 0, level}) + password;
}

QByteArray TimeBytes(const QDateTime& t)
{
    return Bytes({t.time().second(), t.time().minute(), t.time().hour(), t.date().day(), t.date().month(),
                  t.date().year() - 2000});
}

QDateTime TimeFromBytes(const QByteArray& b)
{
    return QDateTime(QDate(2000 + uint8_t(b[5]), b[4], b[3]), QTime(b[2], b[1], b[0]), Qt::UTC);
}

qint32 Register(const QByteArray& set, int i)
{
    qint32 v;
    memcpy(&v, set.constData() + 4 * i, 4);
    return v;
}

quint16 Word(const QByteArray& b, int i)
{
    return quint16(uint8_t(b[2 * i]) | uint8_t(b[2 * i + 1]) << 8);
}

QByteArray Data(SimMeter& m, const QByteArray& body)
{
    const SimReply reply = m.Handle(body);
    if (reply.Status != 0) qWarning("status %d for %s", reply.Status, body.toHex().constData());
    return reply.Data;
}

// The masking the utility applies to Wi-Fi passwords before writing them.
QByteArray ScramblePassword(const QByteArray& password, const QByteArray& serial10, uint8_t start)
{
    QByteArray block = password + QByteArray(81 - password.size(), 0);
    uint8_t mask = start;
    for (int i = 0; i < 80; ++i, mask = uint8_t(mask + 0x17)) block[i] = char(uint8_t(block[i]) ^ uint8_t(serial10[i % 8]) ^ mask);
    return block;
}

}  // namespace

class TestSimMeter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeNeedsSession();
    void openSession_data();
    void openSession();
    void additionalPasswordLimits_data();
    void additionalPasswordLimits();
    void passwordChange();
    void clockWrite_data();
    void clockWrite();
    void runningClockKeepsWrittenTime();
    void energyConsistency_data();
    void energyConsistency();
    void energyGrowsWithTime();
    void profileMatchesDayIncrement();
    void versionDependentParams_data();
    void versionDependentParams();
    void refusedRequests_data();
    void refusedRequests();
    void forcedStatus();
    void battery_data();
    void battery();
    void correctionArchiveRecordsWrites_data();
    void correctionArchiveRecordsWrites();
    void wifiPasswordIsUnmasked();
    void jsonRoundTrip();
};

void TestSimMeter::writeNeedsSession()
{
    SimMeter m;
    QCOMPARE(m.Handle(WriteBody(22, 0, "ABCDEFGH")).Status, uint8_t(4));
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(22, 0, "ABCDEFGH")).Status, uint8_t(0));
    QCOMPARE(Data(m, ReadBody(22)), QByteArray("ABCDEFGH"));
    QCOMPARE(m.Handle(Bytes({32, 0, 0})).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(22, 0, "12345678")).Status, uint8_t(4));
    QCOMPARE(Data(m, ReadBody(22)), QByteArray("ABCDEFGH"));
}

void TestSimMeter::openSession_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("status");
    QTest::newRow("main, factory") << 0 << kFactoryPassword << 0;
    QTest::newRow("additional, factory") << 1 << kFactoryPassword << 0;
    QTest::newRow("main, wrong") << 0 << QByteArray("24681358") << 3;
    QTest::newRow("seven characters") << 0 << QByteArray("2468135") << 3;
    QTest::newRow("no such level") << 2 << kFactoryPassword << 3;
}

void TestSimMeter::openSession()
{
    QFETCH(int, level);
    QFETCH(QByteArray, password);
    QFETCH(int, status);
    SimMeter m;
    QCOMPARE(int(m.Handle(OpenBody(level, password)).Status), status);
    // Only an accepted password opens the session that a write needs.
    QCOMPARE(int(m.Handle(WriteBody(21, 0, Bytes({7}))).Status), status == 0 ? 0 : 4);
}

void TestSimMeter::additionalPasswordLimits_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::newRow("network address") << WriteBody(21, 0, Bytes({7})) << 0;
    QTest::newRow("interface settings") << WriteBody(23, 0, Bytes({0x00, 0x4B, 3, 0, 2, 1})) << 0;
    QTest::newRow("display settings")
        << WriteBody(35, 0, Bytes({0x01, 0, 0, 0x80, 0x0F, 0x01, 0x81, 0, 0, 0x80, 5, 5})) << 0;
    QTest::newRow("additional password") << WriteBody(37, 1, "11112222") << 0;
    QTest::newRow("main password") << WriteBody(37, 0, "11112222") << 4;
    QTest::newRow("user ID") << WriteBody(22, 0, "ABCDEFGH") << 4;
    QTest::newRow("clock") << WriteBody(32, 2, Bytes({0, 0, 12, 1, 6, 24})) << 4;
    QTest::newRow("clear energy") << Bytes({30, 1, 0}) << 4;
}

void TestSimMeter::additionalPasswordLimits()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    SimMeter m;
    QCOMPARE(m.Handle(OpenBody(1, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(int(m.Handle(body).Status), status);
}

void TestSimMeter::passwordChange()
{
    SimMeter m;
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(37, 0, "NEWPASS1")).Status, uint8_t(0));
    QCOMPARE(m.Handle(Bytes({32, 0, 0})).Status, uint8_t(0));
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(3));
    QCOMPARE(m.Handle(OpenBody(0, "NEWPASS1")).Status, uint8_t(0));
    // The additional password is a separate one and still the factory one.
    QCOMPARE(m.Handle(OpenBody(1, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(37, 1, "ADD00001")).Status, uint8_t(0));
    QCOMPARE(m.Handle(OpenBody(1, kFactoryPassword)).Status, uint8_t(3));
    QCOMPARE(m.Handle(OpenBody(1, "ADD00001")).Status, uint8_t(0));
}

void TestSimMeter::clockWrite_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("session");
    QTest::addColumn<int>("status");
    QTest::newRow("correction without session") << 0 << 20 << false << 0;
    QTest::newRow("large correction refused") << 0 << 3600 << false << 3;
    QTest::newRow("large correction in session refused") << 0 << 3600 << true << 3;
    QTest::newRow("setting without session") << 2 << 3600 << false << 4;
    QTest::newRow("setting in session") << 2 << -86400 * 400 << true << 0;
    QTest::newRow("unknown index") << 1 << 20 << true << 3;
}

void TestSimMeter::clockWrite()
{
    QFETCH(int, index);
    QFETCH(int, delta);
    QFETCH(bool, session);
    QFETCH(int, status);
    SimMeter m;
    m.FreezeClock(kFrozen);
    if (session) QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    const QByteArray written = TimeBytes(kFrozen.addSecs(delta));
    QCOMPARE(int(m.Handle(WriteBody(32, index, written)).Status), status);
    QCOMPARE(Data(m, ReadBody(32)), status == 0 ? written : TimeBytes(kFrozen));
}

void TestSimMeter::runningClockKeepsWrittenTime()
{
    SimMeter m;
    const QDateTime set(QDate(2031, 7, 4), QTime(12, 34, 56), Qt::UTC);
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(32, 2, TimeBytes(set))).Status, uint8_t(0));
    const qint64 elapsed = set.secsTo(TimeFromBytes(Data(m, ReadBody(32))));
    QVERIFY2(elapsed >= 0 && elapsed <= 2, qPrintable(QString::number(elapsed)));
    // An invalid date is refused and leaves the clock alone.
    QCOMPARE(m.Handle(WriteBody(32, 2, Bytes({0, 0, 12, 30, 2, 31}))).Status, uint8_t(3));
    QCOMPARE(TimeFromBytes(Data(m, ReadBody(32))).date(), set.date());
}

void TestSimMeter::energyConsistency_data()
{
    QTest::addColumn<int>("startParam");
    QTest::addColumn<int>("incrementParam");
    QTest::newRow("day") << 42 << 2;
    QTest::newRow("month") << 43 << 3;
    QTest::newRow("year") << 44 << 4;
}

void TestSimMeter::energyConsistency()
{
    QFETCH(int, startParam);
    QFETCH(int, incrementParam);
    SimMeter m;
    m.FreezeClock(kFrozen);
    qint64 tariffSum[4] = {};
    for (int tariff = 0; tariff <= 4; ++tariff) {
        const QByteArray total = Data(m, ReadBody(1, 0, tariff));
        const QByteArray start = Data(m, ReadBody(startParam, 0, tariff));
        const QByteArray increment = Data(m, ReadBody(incrementParam, 0, tariff));
        const QByteArray previousStart = Data(m, ReadBody(startParam, 0xFF, tariff));
        const QByteArray previousIncrement = Data(m, ReadBody(incrementParam, 0xFF, tariff));
        QCOMPARE(total.size(), 16);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Register(start, i) + Register(increment, i), Register(total, i));
            QCOMPARE(Register(previousStart, i) + Register(previousIncrement, i), Register(start, i));
            if (tariff > 0) tariffSum[i] += Register(total, i);
        }
        if (tariff == 0) QVERIFY(Register(previousIncrement, 0) > 0);
    }
    const QByteArray all = Data(m, ReadBody(1, 0, 0));
    for (int i = 0; i < 4; ++i) QCOMPARE(tariffSum[i], qint64(Register(all, i)));
}

void TestSimMeter::energyGrowsWithTime()
{
    SimMeter m;
    m.FreezeClock(kFrozen);
    const QByteArray before = Data(m, ReadBody(1));
    const QByteArray dayBefore = Data(m, ReadBody(2));
    m.FreezeClock(kFrozen.addSecs(3600));
    const QByteArray after = Data(m, ReadBody(1));
    QVERIFY(Register(after, 0) > Register(before, 0));
    QCOMPARE(Register(Data(m, ReadBody(2)), 0) - Register(dayBefore, 0), Register(after, 0) - Register(before, 0));
}

void TestSimMeter::profileMatchesDayIncrement()
{
    SimMeter m;
    m.FreezeClock(kFrozen);
    const QDate yesterday = kFrozen.date().addDays(-1);
    qint64 sum[4] = {};
    for (int slot = 0; slot < 48; slot += 6) {
        const QByteArray records = Data(m, ReadBody(40, yesterday.month(), yesterday.day(), slot));
        QCOMPARE(records.size(), 48);
        for (int r = 0; r < 6; ++r)
            for (int i = 0; i < 4; ++i) sum[i] += Word(records, 4 * r + i);
    }
    const QByteArray increment = Data(m, ReadBody(2, 0xFF));
    for (int i = 0; i < 4; ++i) QCOMPARE(sum[i], qint64(Register(increment, i)));
    QCOMPARE(Data(m, ReadBody(36, yesterday.month(), yesterday.day(), 20)),
             Data(m, ReadBody(40, yesterday.month(), yesterday.day(), 20)).left(8));
}

void TestSimMeter::versionDependentParams_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::newRow("302: holidays 29") << "3.02" << ReadBody(29, 0, 0, 5) << 0;
    QTest::newRow("520: holidays 29") << "5.20" << ReadBody(29, 0, 0, 5) << 2;
    QTest::newRow("302: holidays 70") << "3.02" << ReadBody(70, 0, 0, 5) << 2;
    QTest::newRow("520: holidays 70") << "5.20" << ReadBody(70, 0, 0, 5) << 0;
    QTest::newRow("302: main workday 30") << "3.02" << ReadBody(30, 0, 0, 1) << 0;
    QTest::newRow("520: main workday 30") << "5.20" << ReadBody(30, 0, 0, 1) << 2;
    QTest::newRow("520: reserve weekend 31") << "5.20" << ReadBody(31, 0, 0, 13) << 0;
    QTest::newRow("520: main calendar 54") << "5.20" << ReadBody(54, 0, 0, 1) << 2;
    QTest::newRow("520: reserve calendar 54") << "5.20" << ReadBody(54, 0, 0, 24) << 0;
    QTest::newRow("302: workday 72") << "3.02" << ReadBody(72, 0, 0, 1) << 2;
    QTest::newRow("520: workday 72") << "5.20" << ReadBody(72, 0, 0, 7) << 0;
    QTest::newRow("520: season 8 of 73") << "5.20" << ReadBody(73, 0, 0, 8) << 3;
    QTest::newRow("302: calendar 71") << "3.02" << ReadBody(71, 0, 0, 1) << 2;
    QTest::newRow("520: calendar 71") << "5.20" << ReadBody(71, 0, 0, 12) << 0;
    QTest::newRow("520: write main workday 30") << "5.20" << WriteBody(30, 1, QByteArray(48, 1)) << 2;
    QTest::newRow("520: complete 72") << "5.20" << WriteBody(72, 255, {}) << 0;
    QTest::newRow("114: calendar 54") << "1.14" << ReadBody(54, 0, 0, 1) << 2;
    QTest::newRow("114: reserve 30") << "1.14" << ReadBody(30, 0, 0, 13) << 3;
    QTest::newRow("114: limits 53") << "1.14" << ReadBody(53) << 2;
    QTest::newRow("115: limits 53") << "1.15" << ReadBody(53) << 0;
}

void TestSimMeter::versionDependentParams()
{
    QFETCH(QString, version);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    SimMeter m;
    m.SetSoftVersion(version);
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(int(m.Handle(body).Status), status);
}

void TestSimMeter::refusedRequests_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::newRow("unknown command") << Bytes({99, 0, 0, 0, 0}) << 1;
    QTest::newRow("unknown parameter") << ReadBody(250) << 2;
    QTest::newRow("write of unknown parameter") << WriteBody(250, 0, Bytes({1})) << 2;
    QTest::newRow("read-only parameter written") << WriteBody(19, 0, QByteArray(6, 1)) << 2;
    QTest::newRow("display settings by command 3") << ReadBody(35) << 2;
    QTest::newRow("display format by command 4") << ReadBody(34, 0, 0, 0, 4) << 2;
    QTest::newRow("unknown service") << Bytes({30, 99, 0}) << 2;
    QTest::newRow("tariff 5") << ReadBody(1, 0, 5) << 3;
    QTest::newRow("totals of an earlier period") << ReadBody(1, 0xFF) << 3;
    QTest::newRow("day beyond the history") << ReadBody(2, uint8_t(-45)) << 3;
    QTest::newRow("archive record 33") << ReadBody(16, uint8_t(-33)) << 3;
    QTest::newRow("archive record not kept") << ReadBody(15, uint8_t(-32)) << 5;
}

void TestSimMeter::refusedRequests()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    SimMeter m;
    QCOMPARE(int(m.Handle(body).Status), status);
}

void TestSimMeter::forcedStatus()
{
    SimMeter m;
    m.SetForcedStatus(34, 5);
    QCOMPARE(m.Handle(ReadBody(34)).Status, uint8_t(5));
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(34, 0, QByteArray(18, 0))).Status, uint8_t(5));
    QCOMPARE(m.Handle(ReadBody(21)).Status, uint8_t(0));
    m.SetForcedStatus(34, 0);
    QCOMPARE(m.Handle(ReadBody(34)).Status, uint8_t(0));
}

void TestSimMeter::battery_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("session");
    QTest::addColumn<bool>("rightCheck");
    QTest::addColumn<int>("status");
    QTest::newRow("302, check byte alone") << "3.02" << false << true << 0;
    QTest::newRow("302, wrong check byte") << "3.02" << false << false << 3;
    QTest::newRow("301 without session") << "3.01" << false << true << 4;
    QTest::newRow("301 in session") << "3.01" << true << true << 0;
}

void TestSimMeter::battery()
{
    QFETCH(QString, version);
    QFETCH(bool, session);
    QFETCH(bool, rightCheck);
    QFETCH(int, status);
    SimMeter m;
    m.SetSerialNumber("12345678");
    m.SetSoftVersion(version);
    QCOMPARE(Data(m, ReadBody(18)), QByteArray("0012345678"));
    if (session) QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    const uint8_t check = Crc8(reinterpret_cast<const uint8_t*>("0012345678"), 10);
    // A quarter of a full battery (281088) is battery level 1.
    const QByteArray body = Bytes({105, 0, rightCheck ? check : check ^ 1, 0x80, 0x12, 0x01, 0x00});
    QCOMPARE(int(m.Handle(body).Status), status);
    QCOMPARE(int(uint8_t(Data(m, ReadBody(33))[3])), status == 0 ? 1 : 4);
}

void TestSimMeter::correctionArchiveRecordsWrites_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("eventBytes");
    QTest::newRow("network address") << WriteBody(21, 0, Bytes({5})) << Bytes({0x80, 0x00, 0x08, 0});
    QTest::newRow("password") << WriteBody(37, 0, "PASSWORD") << Bytes({0x00, 0x04, 0x00, 0});
    QTest::newRow("energy cleared") << Bytes({30, 1, 0}) << Bytes({0x00, 0x08, 0x01, 0});
    QTest::newRow("load off") << WriteBody(67, 0, Bytes({0, 0})) << Bytes({0x02, 0x00, 0x00, 0});
}

void TestSimMeter::correctionArchiveRecordsWrites()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, eventBytes);
    SimMeter m;
    m.FreezeClock(kFrozen);
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    const QByteArray newestBefore = Data(m, ReadBody(16));
    QCOMPARE(m.Handle(body).Status, uint8_t(0));
    QCOMPARE(Data(m, ReadBody(16)), TimeBytes(kFrozen) + eventBytes);
    QCOMPARE(Data(m, ReadBody(16, 0xFF)), newestBefore);
}

void TestSimMeter::wifiPasswordIsUnmasked()
{
    SimMeter m;
    QCOMPARE(m.Handle(ReadBody(69, 170)).Status, uint8_t(2));
    m.SetExpansionModule(4);
    m.SetSerialNumber("12345678");
    QCOMPARE(m.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(69, 170, ScramblePassword("secret", "0012345678", 0x3C))).Status, uint8_t(0));
    QCOMPARE(m.Handle(WriteBody(69, 172, ScramblePassword("own-ap", "0012345678", 0xC3))).Status, uint8_t(0));
    QCOMPARE(Data(m, ReadBody(69, 170)), QByteArray("secret") + QByteArray(76, 0));
    QCOMPARE(Data(m, ReadBody(69, 172)), QByteArray("own-ap") + QByteArray(76, 0));
    QCOMPARE(Data(m, ReadBody(68)), QByteArray("MOD4-WIF") + Bytes({0, 0, 0, 0, 4, 4}));
}

void TestSimMeter::jsonRoundTrip()
{
    SimMeter a;
    a.SetSerialNumber("87654321");
    a.SetMeterTypeCode(263);
    a.SetSoftVersion("5.20");
    const QDateTime set(QDate(2030, 1, 2), QTime(3, 4, 5), Qt::UTC);
    QCOMPARE(a.Handle(OpenBody(0, kFactoryPassword)).Status, uint8_t(0));
    QCOMPARE(a.Handle(WriteBody(21, 0, Bytes({9}))).Status, uint8_t(0));
    QCOMPARE(a.Handle(WriteBody(37, 1, "ADDPASS1")).Status, uint8_t(0));
    QCOMPARE(a.Handle(WriteBody(32, 2, TimeBytes(set))).Status, uint8_t(0));
    QCOMPARE(a.Handle(WriteBody(70, 3, Bytes({0x81, 0, 0, 0, 30}))).Status, uint8_t(0));
    QCOMPARE(a.Handle(Bytes({30, 1, 0})).Status, uint8_t(0));
    QVERIFY(a.TakeChanged());
    QCOMPARE(a.Handle(ReadBody(21)).Status, uint8_t(0));
    QVERIFY(!a.TakeChanged());

    SimMeter b;
    b.FromJson(a.ToJson());
    QCOMPARE(b.ToJson(), a.ToJson());
    QCOMPARE(b.SerialNumber(), QString("87654321"));
    QCOMPARE(b.NetAddress(), uint8_t(9));
    QCOMPARE(Data(b, ReadBody(0)), Bytes({0x07, 0x01}));
    QCOMPARE(Data(b, ReadBody(20)), QByteArray("5.20"));
    QCOMPARE(b.Handle(OpenBody(1, kFactoryPassword)).Status, uint8_t(3));
    QCOMPARE(b.Handle(OpenBody(1, "ADDPASS1")).Status, uint8_t(0));
    const qint64 elapsed = set.secsTo(TimeFromBytes(Data(b, ReadBody(32))));
    QVERIFY2(elapsed >= 0 && elapsed <= 2, qPrintable(QString::number(elapsed)));
    QCOMPARE(Data(b, ReadBody(70, 0, 0, 3)), Bytes({0x81, 0, 0, 0, 30, 3}));
}

QTEST_APPLESS_MAIN(TestSimMeter)
#include "tst_sim_meter.moc"
