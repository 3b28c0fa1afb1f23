#include "common/error.h"
#include "common/wait_hook.h"
#include "connection/crc.h"
#include "connection/xport.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

QByteArray WithCrc(const QByteArray& body, bool inverted)
{
    uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(body.constData()), size_t(body.size()));
    if (inverted) crc = uint16_t(~crc);
    return body + char(crc >> 8) + char(crc & 0xFF);
}

// The gateway: answers the first request with the reply in pieces, one piece
// per poll of the transport (the event pump), and counts the polls after the
// last piece.
struct TGatewayPeer {
    QTcpServer Server;
    QTcpSocket* Client = nullptr;
    QByteArray Request;
    QList<QByteArray> Pieces;
    int PollsAfterLast = -1;

    void Poll()
    {
        QCoreApplication::processEvents();
        if (!Client) {
            Server.waitForNewConnection(0);
            Client = Server.nextPendingConnection();
        }
        if (!Client) return;
        Request += Client->readAll();
        if (Request.isEmpty()) return;
        if (!Pieces.isEmpty()) {
            Client->write(Pieces.takeFirst());
            Client->flush();
            if (Pieces.isEmpty()) PollsAfterLast = 0;
        } else if (PollsAfterLast >= 0) {
            ++PollsAfterLast;
        }
    }
};

// Cancels once the peer has been idle for many polls after its last piece: a
// transport still waiting then has missed the end of the reply.
class TWatchWindow : public IWaitWindow {
public:
    explicit TWatchWindow(const TGatewayPeer* peer = nullptr, QString status = QString())
        : Peer(peer), Status(std::move(status)) {}
    void SetStatusText(const QString& text) override { Status = text; Texts.append(text); }
    QString StatusText() const override { return Status; }
    bool Cancelled() const override { return CancelNow || (Peer && Peer->PollsAfterLast > 300); }

    const TGatewayPeer* Peer;
    QString Status;
    QStringList Texts;
    bool CancelNow = false;
};

QString Params(quint16 port, int connectTimeout = 2000)
{
    return QStringLiteral("127.0.0.1,%1,5000,0,%2,0,0").arg(port).arg(connectTimeout);
}

}  // namespace

class TestXPort : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        SetEventPump(nullptr);
        SetCurrentWaitWindow(nullptr);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("expected");  // host|port text|port|five numbers
        QTest::newRow("defaults") << "10.0.0.7" << "10.0.0.7||10001|5000,0,10000,200,25";
        QTest::newRow("all fields") << "gw,502,100,5,300,10,0" << "gw|502|502|100,5,300,10,0";
        QTest::newRow("port abc, numbers not numbers")
            << "gw,abc,x,,y,z,w" << "gw|abc|10001|5000,0,10000,200,25";
    }

    void parse()
    {
        QFETCH(QString, params);
        const TXPortPrm p = TXPort(params).Prm();
        QTEST(QStringLiteral("%1|%2|%3|%4,%5,%6,%7,%8")
                  .arg(p.Host, p.Port).arg(p.PortNumber()).arg(p.ReplyTimeout).arg(p.InterByte)
                  .arg(p.ConnectTimeout).arg(p.SettleDelay).arg(p.SendDelay),
              "expected");
        QVERIFY(TXPort(params).SameAs(TXPort(params)));
        QVERIFY(!TXPort(params).SameAs(TXPort(QStringLiteral("x") + params)));
    }

    void replyCompletesByCrc_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<int>>("cuts");
        const QByteArray body("\x05\x03\x00\x10\x20\x30\x40", 7);
        QTest::newRow("plain, one piece") << WithCrc(body, false) << QList<int>{};
        QTest::newRow("plain, three pieces") << WithCrc(body, false) << QList<int>{2, 6};
        QTest::newRow("inverted, three pieces") << WithCrc(body, true) << QList<int>{3, 8};
        // The first 4 bytes end in a valid CRC of their own, but a reply needs more than 5.
        QTest::newRow("short CRC-looking start") << WithCrc(WithCrc("\x01\x02", false) + body, false) << QList<int>{4};
    }

    void replyCompletesByCrc()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QList<int>, cuts);
        TGatewayPeer peer;
        QVERIFY(peer.Server.listen(QHostAddress::LocalHost));
        int from = 0;
        for (int cut : cuts + QList<int>{int(reply.size())}) {
            peer.Pieces.append(reply.mid(from, cut - from));
            from = cut;
        }
        SetEventPump([&peer] { peer.Poll(); });
        TXPort port(Params(peer.Server.serverPort()));
        QCOMPARE(port.Open(), 0);
        TWatchWindow window(&peer);
        SetCurrentWaitWindow(&window);

        const QByteArray request("\x05\x03\x00\x10\x00\xAA\xBB", 7);
        QCOMPARE(port.Send(reinterpret_cast<const uint8_t*>(request.constData()), request.size()), request.size());
        QByteArray buffer(256, '\0');
        int n = 0;
        try {
            n = port.Receive(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size(), 0);
        } catch (const TError&) {
            QFAIL("still waiting after the end of the reply");
        }
        QCOMPARE(buffer.left(n), reply);
        QCOMPARE(peer.Request, request);
    }

    void cancelWhileWaitingForReply()
    {
        TGatewayPeer peer;
        QVERIFY(peer.Server.listen(QHostAddress::LocalHost));
        SetEventPump([&peer] { peer.Poll(); });
        TXPort port(Params(peer.Server.serverPort()));
        port.Open();
        TWatchWindow window;
        window.CancelNow = true;
        SetCurrentWaitWindow(&window);
        uint8_t buffer[16];
        try {
            port.Receive(buffer, sizeof buffer, 60000);
            QFAIL("not cancelled");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QString::fromUtf8(kCancelledMessage));
        }
    }

    void closedPortFails()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 free = probe.serverPort();
        probe.close();
        TWatchWindow window(nullptr, QStringLiteral("Чтение"));
        SetCurrentWaitWindow(&window);
        TXPort port(Params(free, 300));
        try {
            port.Open();
            QFAIL("connected");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QStringLiteral("Нет соединения TCP: 127.0.0.1:%1").arg(free));
        }
        QCOMPARE(window.Texts, QStringList({QStringLiteral("Соединение TCP: 127.0.0.1:%1").arg(free), QStringLiteral("Чтение")}));
        QCOMPARE(port.Send(reinterpret_cast<const uint8_t*>("x"), 1), 0);
    }

    void portTextNotNumberUses10001()
    {
        QTcpServer gateway;
        if (!gateway.listen(QHostAddress::LocalHost, 10001)) QSKIP("port 10001 is in use here");
        TXPort port(QStringLiteral("127.0.0.1,abc,5000,0,2000,0,0"));
        QCOMPARE(port.Open(), 0);
        QVERIFY(gateway.waitForNewConnection(2000));
    }
};

QTEST_GUILESS_MAIN(TestXPort)
#include "tst_xport.moc"
