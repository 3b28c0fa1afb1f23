#include "common/error.h"
#include "connection/connection.h"
#include "connection/crc.h"
#include "support/fake_port.h"

#include <QtTest>

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

// Appends the link CRC (high byte first), inverted for every framing but the plain one.
QByteArray WithCrc(const QByteArray& bytes, bool inverted)
{
    uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    if (inverted) crc = uint16_t(~crc);
    return bytes + char(crc >> 8) + char(crc & 0xFF);
}

TLinkRequest ReadRequest(uint8_t param)
{
    TLinkRequest r;
    const uint8_t body[] = {3, param, 0, 0, 0};
    std::memcpy(r.Body, body, sizeof body);
    r.BodyLength = sizeof body;
    return r;
}

// A connection on a fake port; the port stays owned by the connection.
struct Link {
    TConnection connection;
    TFakePort* port;
    Link(uint8_t address, const QString& mask = QString(), int protocol = 0, int attempts = 0)
    {
        auto fake = std::make_unique<TFakePort>();
        port = fake.get();
        connection.SetPort(std::move(fake));
        connection.SetAddressing(address, attempts, mask, protocol);
    }
};

QString FailureOf(TConnection& connection, TLinkRequest& request)
{
    try {
        connection.Exchange(request);
    } catch (const TError& e) {
        return e.Message;
    }
    return QString();
}

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void crcCheckValue()
    {
        const QByteArray text("123456789");
        QCOMPARE(Crc16(reinterpret_cast<const uint8_t*>(text.constData()), 9), uint16_t(0x4B37));
    }

    void requestFrames_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("plain") << QString() << 0 << Hex("05 03 14 00 00 00 BE 41");
        QTest::newRow("serial") << QString("12345678") << 0
                                << Hex("FF 7F 00 31 32 33 34 35 36 37 38 03 14 00 00 00 E3 DF");
        QTest::newRow("extended address") << QString() << 1 << Hex("FF 7F 03 0E 01 00 05 03 14 00 00 00 3B 6A");
        QTest::newRow("extended serial") << QString("12345678") << 1
                                         << WithCrc(Hex("FF 7F 01 14 01 31 32 33 34 35 36 37 38 03 14 00 00 00"), true);
    }
    void requestFrames()
    {
        QFETCH(QString, mask);
        QFETCH(int, protocol);
        QFETCH(QByteArray, frame);
        Link link(5, mask, protocol);
        TLinkRequest request = ReadRequest(20);
        QVERIFY(!FailureOf(link.connection, request).isEmpty());  // nobody answers
        QCOMPARE(link.port->Sent.first(), frame);
    }

    void plainReplyGivesStatusAndZeroTerminatedData()
    {
        Link link(5);
        link.port->Replies << Hex("05 03 14 00 33 2E 30 32 B8 4A");
        TLinkRequest request = ReadRequest(20);
        QCOMPARE(int(link.connection.Exchange(request)), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(request.Reply + 4)), QByteArray("3.02"));
        QCOMPARE(request.ReplySize, 8);
        const TLinkStatistics s = link.connection.GetStatistics();
        QCOMPARE(s.Total, 1u);
        QCOMPARE(s.Good, 1u);
        QCOMPARE(s.BytesSent, 8u);
        QCOMPARE(s.BytesReceived, 10u);
        QVERIFY(!s.FirstTime.isNull() && !s.LastTime.isNull());

        link.port->Replies << Hex("05 03 14 02 29 7E");
        QCOMPARE(int(link.connection.Exchange(request)), 2);
    }

    void failedAttempts_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("acceptLimit");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QByteArray good = Hex("05 03 14 00 33 2E 30 32 B8 4A");
        QTest::newRow("short send") << good << 4 << 1 << QString("Ошибка при передаче");
        QTest::newRow("silence") << QByteArray() << -1 << 2 << QString("Нет связи с электросчетчиком");
        QTest::newRow("five bytes") << good.left(5) << -1 << 2 << QString("Нет связи с электросчетчиком");
        QByteArray bad = good;
        bad[9] = char(bad[9] ^ 1);
        QTest::newRow("bad crc") << bad << -1 << 3 << QString("Ошибка CRC в принятом сообщении");
        QTest::newRow("other address") << WithCrc(Hex("06 03 14 00 33"), false) << -1 << 3
                                       << QString("Ошибка CRC в принятом сообщении");
        QTest::newRow("other command") << WithCrc(Hex("05 04 14 00 33"), false) << -1 << 3
                                       << QString("Ошибка CRC в принятом сообщении");
        QTest::newRow("echo") << Hex("05 03 14 00 00 00 BE 41") << -1 << 4
                              << QString("Принято эхо от передатчика\nВозможно неправильно выбран тип интерфейса");
    }
    void failedAttempts()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, acceptLimit);
        QFETCH(int, code);
        QFETCH(QString, message);
        Link link(5, QString(), 0, 2);
        link.port->Respond = [&](const QByteArray&) { return reply; };
        link.port->AcceptLimit = acceptLimit;
        TLinkRequest request = ReadRequest(20);
        QCOMPARE(FailureOf(link.connection, request), message);
        QCOMPARE(link.connection.GetLastSerial(), QString::number(code));
        const TLinkStatistics s = link.connection.GetStatistics();
        QCOMPARE(s.Total, 3u);  // two repetitions after the first attempt
        QCOMPARE(s.Good, 0u);
        const uint32_t counters[] = {0, s.TxErrors, s.RxErrors, s.CrcErrors, s.Echoes};
        for (int c = 1; c <= 4; ++c) QCOMPARE(counters[c], c == code ? 3u : 0u);
        QCOMPARE(s.BytesSent, 0u);
    }

    void skipEchoAcceptsReplyEqualToRequestOnce()
    {
        Link link(5);
        link.port->Respond = [](const QByteArray& frame) { return frame; };
        TLinkRequest request;
        const uint8_t body[] = {30, 1, 0};
        std::memcpy(request.Body, body, 3);
        request.BodyLength = 3;
        link.connection.SetSkipEcho();
        QCOMPARE(int(link.connection.Exchange(request)), 0);
        QVERIFY(FailureOf(link.connection, request).startsWith("Принято эхо"));  // lives for one exchange
    }

    void skipEchoEndsWithARefusedBody()
    {
        Link link(5, QStringLiteral("12345678"), 1);
        link.port->Respond = [](const QByteArray& frame) { return frame; };
        TLinkRequest big;
        big.BodyLength = 255;  // does not fit the frame with its header
        link.connection.SetSkipEcho();
        QCOMPARE(FailureOf(link.connection, big), QString("Ошибка при передаче"));
        TLinkRequest request;
        const uint8_t body[] = {30, 1, 0};
        std::memcpy(request.Body, body, 3);
        request.BodyLength = 3;
        QCOMPARE(FailureOf(link.connection, request),
                 QString("Принято эхо от передатчика\nВозможно неправильно выбран тип интерфейса"));
    }

    void retriesUntilGoodAndNeverRepeatsAGoodAttempt()
    {
        Link link(5, QString(), 0, 3);
        link.port->Replies << QByteArray() << Hex("05 03 14 00 33 2E 30 32 B8 4A");
        TLinkRequest request = ReadRequest(20);
        QCOMPARE(int(link.connection.Exchange(request)), 0);
        QCOMPARE(link.port->Sent.size(), 2);

        // A different parameter in the reply is a good attempt with status 8, not retried.
        link.port->Replies << WithCrc(Hex("05 83 15 00 33"), false);
        QCOMPARE(int(link.connection.Exchange(request)), 8);
        QCOMPARE(link.port->Sent.size(), 3);
    }

    void serialFramingStoresAnsweringMeter()
    {
        Link link(0, QStringLiteral("123"));
        QCOMPARE(link.connection.GetSerialMask(), QString("123?????"));
        link.port->Respond = [](const QByteArray& frame) {
            return WithCrc(frame.left(3) + "12309876" + Hex("03 00 00 02 01"), true);
        };
        TLinkRequest request = ReadRequest(0);
        QCOMPARE(int(link.connection.Exchange(request)), 0);
        QCOMPARE(link.connection.GetLastSerial(), QString("12309876"));
        QCOMPARE(uint8_t(request.Reply[4]), uint8_t(2));
    }

    void extendedFrameCollectedFromPieces()
    {
        Link link(5, QString(), 1);
        link.port->ChunkSize = 3;
        link.port->Respond = [](const QByteArray& frame) {
            return WithCrc(Hex("FF 7F 03 10") + frame.mid(4, 1) + Hex("00 05 03 14 00 33 2E 30 32"), true);
        };
        TLinkRequest request = ReadRequest(20);
        request.TimeoutMs = 700;
        QCOMPARE(int(link.connection.Exchange(request)), 0);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(request.Reply + 4)), QByteArray("3.02"));
        QCOMPARE(link.port->ReceiveTimeouts.first(), 700);
        QCOMPARE(link.port->ReceiveTimeouts.at(1), 500);
        QCOMPARE(link.port->ReceiveTimeouts.size(), 6);  // 16 bytes in pieces of 3

        // A length byte larger than what arrives ends with what came: a header failure.
        link.port->Respond = [](const QByteArray& frame) {
            return WithCrc(Hex("FF 7F 03 20") + frame.mid(4, 1) + Hex("00 05 03 14 00 33"), true);
        };
        QCOMPARE(FailureOf(link.connection, request), QString("Ошибка CRC в принятом сообщении"));
    }

    void fixedExchangeTreatsFragmentAsCollision()
    {
        Link link(0, QStringLiteral("????????"));
        link.port->Replies << Hex("FF 7F 00");
        TLinkRequest request = ReadRequest(0);
        request.ReplyLength = 18;
        try {
            link.connection.ExchangeFixed(request);
            QFAIL("a fragment must fail");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QString("Ошибка CRC в принятом сообщении"));
        }
        QCOMPARE(link.connection.GetStatistics().RxErrors, 1u);
        QCOMPARE(link.port->ReceiveTimeouts.size(), 1);
    }
};

QTEST_APPLESS_MAIN(TestConnection)
#include "tst_connection.moc"
