#include "sim/sim_frame.h"

#include <QtTest>

Q_DECLARE_METATYPE(TSimFraming)

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

const QByteArray kBody = Hex("03 14 00 00 00");

}  // namespace

class TestSimFrame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseRequest_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<TSimFraming>("framing");
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<int>("sequence");
        QTest::newRow("plain") << Hex("05 03 14 00 00 00 BE 41") << TSimFraming::Plain << 5 << QByteArray() << 0;
        QTest::newRow("serial") << Hex("FF 7F 00 31 32 33 34 35 36 37 38 03 14 00 00 00 E3 DF")
                                << TSimFraming::Serial << 0 << QByteArray("12345678") << 0;
        QTest::newRow("extended by address") << Hex("FF 7F 03 0E 01 00 05 03 14 00 00 00 3B 6A")
                                             << TSimFraming::ExtendedAddress << 5 << QByteArray() << 1;
        QTest::newRow("extended by serial")
            << Hex("FF 7F 01 14 07 31 32 33 34 35 36 37 38 03 14 00 00 00 33 ED") << TSimFraming::ExtendedSerial << 0
            << QByteArray("12345678") << 7;
    }

    void parseRequest()
    {
        QFETCH(QByteArray, frame);
        QFETCH(TSimFraming, framing);
        QFETCH(int, address);
        QFETCH(QByteArray, mask);
        QFETCH(int, sequence);
        const std::optional<TSimRequest> request = SimParseRequest(frame);
        QVERIFY(request);
        QCOMPARE(request->Framing, framing);
        QCOMPARE(int(request->Address), address);
        QCOMPARE(request->SerialMask, mask);
        QCOMPARE(int(request->Sequence), sequence);
        QCOMPARE(request->Body, kBody);
        QCOMPARE(request->Frame, frame);

        // Any damaged byte, CRC included, makes the meter ignore the frame.
        for (int i = 0; i < frame.size(); ++i) {
            QByteArray damaged = frame;
            damaged[i] = char(damaged.at(i) ^ 0x10);
            QVERIFY2(!SimParseRequest(damaged), qPrintable(QString("byte %1").arg(i)));
        }
    }

    void findRequestInStream_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QByteArray>("frame");
        const QByteArray plain = Hex("05 03 14 00 00 00 BE 41");
        const QByteArray extended = Hex("FF 7F 03 0E 01 00 05 03 14 00 00 00 3B 6A");
        QTest::newRow("whole") << plain << plain;
        QTest::newRow("after garbage") << Hex("00 FF 7F 13") + plain << plain;
        QTest::newRow("extended after garbage") << Hex("55 05 03") + extended << extended;
        QTest::newRow("unfinished") << plain.left(7) << QByteArray();
        QTest::newRow("extended short of its length") << extended.left(13) << QByteArray();
        QTest::newRow("garbage after the frame") << plain + Hex("00") << QByteArray();
    }

    void findRequestInStream()
    {
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, frame);
        const std::optional<TSimRequest> request = SimFindRequest(received);
        QCOMPARE(request ? request->Frame : QByteArray(), frame);
    }

    void buildReply_data()
    {
        QTest::addColumn<QByteArray>("requestFrame");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("plain") << Hex("05 03 14 00 00 00 BE 41") << 0 << QByteArray("3.02")
                               << Hex("05 03 14 00 33 2E 30 32 B8 4A");
        QTest::newRow("plain, status 2") << Hex("05 03 14 00 00 00 BE 41") << 2 << QByteArray()
                                         << Hex("05 03 14 02 29 7E");
        // The mask "1234????" is answered with the meter's own number.
        QTest::newRow("serial") << Hex("FF 7F 00 31 32 33 34 3F 3F 3F 3F 03 14 00 00 00 5E E9") << 0
                                << QByteArray("3.02")
                                << Hex("FF 7F 00 31 32 33 34 35 36 37 38 03 14 00 33 2E 30 32 6E 1D");
        QTest::newRow("extended by address") << Hex("FF 7F 03 0E 01 00 05 03 14 00 00 00 3B 6A") << 0
                                             << QByteArray("3.02")
                                             << Hex("FF 7F 03 10 01 00 05 03 14 00 33 2E 30 32 8C 0B");
        QTest::newRow("extended by serial") << Hex("FF 7F 01 14 07 31 32 33 34 35 36 37 38 03 14 00 00 00 33 ED")
                                            << 2 << QByteArray()
                                            << Hex("FF 7F 01 12 07 31 32 33 34 35 36 37 38 03 14 02 68 4D");
    }

    void buildReply()
    {
        QFETCH(QByteArray, requestFrame);
        QFETCH(int, status);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, reply);
        const std::optional<TSimRequest> request = SimParseRequest(requestFrame);
        QVERIFY(request);
        QCOMPARE(SimBuildReply(*request, "12345678", uint8_t(status), data).toHex(' '), reply.toHex(' '));
    }

    void maskMatches_data()
    {
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<bool>("matches");
        QTest::newRow("exact") << QByteArray("12345678") << true;
        QTest::newRow("all wild") << QByteArray("????????") << true;
        QTest::newRow("prefix") << QByteArray("123?????") << true;
        QTest::newRow("wild inside") << QByteArray("1?3?5?7?") << true;
        QTest::newRow("other prefix") << QByteArray("124?????") << false;
        QTest::newRow("last differs") << QByteArray("12345679") << false;
        QTest::newRow("short") << QByteArray("1234567") << false;
    }

    void maskMatches()
    {
        QFETCH(QByteArray, mask);
        QFETCH(bool, matches);
        QCOMPARE(SimMaskMatches(mask, "12345678"), matches);
    }

    void collisionFailsCrc_data()
    {
        QTest::addColumn<QByteArray>("serialA");
        QTest::addColumn<QByteArray>("serialB");
        QTest::newRow("different meters") << QByteArray("12345678") << QByteArray("12399999");
        // The OR of equal replies is a valid frame again; it must still fail.
        QTest::newRow("equal replies") << QByteArray("12345678") << QByteArray("12345678");
    }

    void collisionFailsCrc()
    {
        QFETCH(QByteArray, serialA);
        QFETCH(QByteArray, serialB);
        TSimRequest probe;
        probe.Framing = TSimFraming::Serial;
        probe.SerialMask = "123?????";
        probe.Body = Hex("03 00 00 00 00");
        const QByteArray a = SimBuildReply(probe, serialA, 0, Hex("02 01"));
        const QByteArray b = SimBuildReply(probe, serialB, 0, Hex("02 01"));
        QVERIFY(SimCrcValid(a, true));
        const QByteArray garbled = SimCollide({a, b}, TSimFraming::Serial);
        QCOMPARE(garbled.size(), 18);
        QVERIFY(!SimCrcValid(garbled, true));
    }
};

QTEST_APPLESS_MAIN(TestSimFrame)
#include "tst_sim_frame.moc"
