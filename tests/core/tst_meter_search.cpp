// The meter search: mask advancing and the depth-first probe sequence on a
// fake bus where every meter whose number matches the mask answers and
// simultaneous answers collide.
#include "common/error.h"
#include "common/wait_hook.h"
#include "connection/crc.h"
#include "support/fake_port.h"
#include "tools/meter_search.h"

#include <QtTest>

namespace {

// Replies of the meters on one bus to a serial-number request for the meter type.
class TFakeBus {
public:
    explicit TFakeBus(const QStringList& meters) : Meters(meters) {}

    QByteArray Answer(const QByteArray& frame)
    {
        const QByteArray mask = frame.mid(3, 8);
        Probes.append(QString::fromLatin1(mask));
        if (OnProbe) OnProbe(Probes.size());
        QByteArray garbled;
        int answers = 0;
        for (const QString& meter : Meters) {
            bool match = true;
            for (int i = 0; i < 8; ++i) match = match && (mask[i] == '?' || mask[i] == meter.at(i).toLatin1());
            if (!match) continue;
            const QByteArray reply = Reply(meter.toLatin1(), frame.mid(11, 2));
            if (garbled.isEmpty()) garbled = QByteArray(reply.size(), '\0');
            for (int i = 0; i < reply.size(); ++i) garbled[i] = char(garbled[i] | reply[i]);
            ++answers;
        }
        if (answers > 1) garbled[garbled.size() - 1] = char(garbled.back() ^ 0x01);
        return garbled;
    }

    QStringList Probes;
    std::function<void(int probe)> OnProbe;

private:
    static QByteArray Reply(const QByteArray& serial, const QByteArray& commandAndParam)
    {
        QByteArray reply = QByteArray("\xFF\x7F\x00", 3) + serial + commandAndParam + QByteArray("\x00\x02\x01", 3);
        const uint16_t crc = uint16_t(~Crc16(reinterpret_cast<const uint8_t*>(reply.constData()), size_t(reply.size())));
        reply.append(char(crc >> 8));
        reply.append(char(crc & 0xFF));
        return reply;
    }

    QStringList Meters;
};

// Masks prefix + c + "?"... for c from first to last.
QStringList Masks(const QString& prefix, char first, char last)
{
    QStringList masks;
    for (char c = first; c <= last; ++c) masks.append((prefix + QLatin1Char(c)).leftJustified(8, QLatin1Char('?')));
    return masks;
}

class TCancelFlag : public IWaitWindow {
public:
    void SetStatusText(const QString&) override {}
    QString StatusText() const override { return QString(); }
    bool Cancelled() const override { return Pressed; }
    bool Pressed = false;
};

}  // namespace

class TestMeterSearch : public QObject {
    Q_OBJECT

    TConnection Link;

    void UseBus(TFakeBus& bus)
    {
        auto port = std::make_unique<TFakePort>();
        port->Respond = [&bus](const QByteArray& frame) { return bus.Answer(frame); };
        Link.SetPort(std::move(port));
        Link.SetAddressing(0, 0, QStringLiteral("????????"), 0);
    }

private Q_SLOTS:
    void advance_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("lo");
        QTest::addColumn<QString>("hi");
        QTest::addColumn<bool>("advanced");
        QTest::addColumn<QString>("after");
        QTest::newRow("wildcard starts at the lower bound") << "?" << "5" << "9" << true << "5";
        QTest::newRow("digit steps up") << "3" << "0" << "9" << true << "4";
        QTest::newRow("at the upper bound") << "9" << "0" << "9" << false << "9";
        QTest::newRow("letters follow the digits") << "9" << "0" << "F" << true << "A";
        QTest::newRow("letter steps up") << "A" << "0" << "F" << true << "B";
        QTest::newRow("past a lower upper bound") << "5" << "5" << "3" << false << "5";
    }

    void advance()
    {
        QFETCH(QString, before);
        QFETCH(QString, lo);
        QFETCH(QString, hi);
        QFETCH(bool, advanced);
        QFETCH(QString, after);
        QString mask = QStringLiteral("12") + before + QStringLiteral("?????");
        QCOMPARE(AdvanceMaskChar(mask, 2, lo.at(0), hi.at(0)), advanced);
        QCOMPARE(mask, QStringLiteral("12") + after + QStringLiteral("?????"));
    }

    void progress()
    {
        QCOMPARE(MaskProgress(QStringLiteral("123?????")), 12399999);
        QCOMPARE(MaskProgress(QStringLiteral("1A!00000")), 19000000);
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("meters");
        QTest::addColumn<QString>("lo");
        QTest::addColumn<QString>("hi");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("probes");
        QTest::addColumn<QStringList>("found");

        QTest::newRow("one meter") << QStringList{"12345678"} << "00000000" << "99999999" << 0
                                   << Masks("", '0', '9') << QStringList{"12345678"};

        const QStringList twoMeters = Masks("", '0', '1') + Masks("1", '0', '2') + Masks("12", '0', '3')
            + Masks("123", '0', '9') + Masks("12", '4', '9') + Masks("1", '3', '9') + Masks("", '2', '9');
        QTest::newRow("two meters collide") << QStringList{"12345678", "12399999"} << "00000000" << "99999999" << 0
                                            << twoMeters << QStringList{"12345678", "12399999"};
        QTest::newRow("count limit") << QStringList{"12345678", "12399999"} << "" << "" << 1
                                     << twoMeters.mid(0, twoMeters.indexOf("1234????") + 1)
                                     << QStringList{"12345678"};
        QTest::newRow("short lower bound") << QStringList{"56000000"} << "5" << "9" << 0
                                           << Masks("", '5', '9') << QStringList{"56000000"};
        QTest::newRow("letters in the upper bound") << QStringList{"A1234567", "91234567"} << "0" << "B" << 0
                                                    << Masks("", '0', '9') + Masks("", 'A', 'B')
                                                    << QStringList{"91234567", "A1234567"};
        QTest::newRow("same number twice") << QStringList{"12345678", "12345678"} << "12345600" << "12345699" << 0
                                           << QStringList{"1???????", "12??????", "123?????", "1234????", "12345???",
                                                          "123456??", "1234560?", "1234561?", "1234562?", "1234563?",
                                                          "1234564?", "1234565?", "1234566?", "1234567?", "12345670",
                                                          "12345671", "12345672", "12345673", "12345674", "12345675",
                                                          "12345676", "12345677", "12345678", "12345679",
                                                          "1234568?", "1234569?"}
                                           << QStringList{};
    }

    void search()
    {
        QFETCH(QStringList, meters);
        QFETCH(QString, lo);
        QFETCH(QString, hi);
        QFETCH(int, limit);
        QFETCH(QStringList, probes);
        QFETCH(QStringList, found);
        TFakeBus bus(meters);
        UseBus(bus);
        TMeterSearch search(Link);
        search.LoSN = lo;
        search.HiSN = hi;
        search.CountLimit = limit;
        QStringList announced;
        search.OnFound = [&](const QString& serial) { announced.append(serial); };
        search.Run();
        QCOMPARE(bus.Probes, probes);
        QCOMPARE(search.Found(), found);
        QCOMPARE(announced, found);
    }

    void cancelEndsTheSearch_data()
    {
        QTest::addColumn<bool>("duringProbe");
        QTest::addColumn<QStringList>("probes");
        QTest::newRow("between probes") << false << QStringList{"1???????"};
        QTest::newRow("during a probe") << true << QStringList{"1???????", "2???????"};
    }

    // The numbers found stay; a cancelled probe counts as no result.
    void cancelEndsTheSearch()
    {
        QFETCH(bool, duringProbe);
        QFETCH(QStringList, probes);
        TFakeBus bus({"12345678", "22345678"});
        UseBus(bus);
        TCancelFlag flag;
        bus.OnProbe = [&](int probe) {
            if (probe == 1 && !duringProbe) flag.Pressed = true;
            if (probe == 2 && duringProbe) throw TError(QString::fromUtf8(kCancelledMessage));
        };
        TMeterSearch search(Link);
        search.LoSN = QStringLiteral("1");
        SetCurrentWaitWindow(&flag);
        search.Run();
        SetCurrentWaitWindow(nullptr);
        QCOMPARE(bus.Probes, probes);
        QCOMPARE(search.Found(), QStringList{"12345678"});
    }

    void linkErrorsOtherThanCancelPropagate()
    {
        auto port = std::make_unique<TFakePort>();
        port->Respond = [](const QByteArray&) -> QByteArray { throw TError(QStringLiteral("Проблемы с COM портом")); };
        Link.SetPort(std::move(port));
        Link.SetAddressing(0, 0, QStringLiteral("????????"), 0);
        TMeterSearch search(Link);
        try {
            search.Run();
            QFAIL("no error");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QStringLiteral("Проблемы с COM портом"));
        }
    }
};

QTEST_APPLESS_MAIN(TestMeterSearch)
#include "tst_meter_search.moc"
