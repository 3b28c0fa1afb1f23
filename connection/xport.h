#pragma once
#include "connection/port.h"

#include <QString>
#include <memory>

class QTcpSocket;

// Settings of a TCP/IP gateway connection, in the order of its parameter text.
struct TXPortPrm {
    QString Host;
    QString Port;               // TCP port; not a number means 10001
    int ReplyTimeout = 5000;    // ms to wait for the first reply bytes when the caller gives 0
    int InterByte = 0;          // ms to wait for more bytes after each piece
    int ConnectTimeout = 10000; // ms
    int SettleDelay = 200;      // ms after the connection opened
    int SendDelay = 25;         // ms before every send

    bool operator==(const TXPortPrm& o) const;
    quint16 PortNumber() const;
};

TXPortPrm ParseXPortPrm(const QString& params);

// Meters behind a serial-to-Ethernet gateway: frames go over a TCP client
// connection unchanged. TCP delivers a reply in arbitrary pieces, so a reply
// is complete as soon as a valid CRC ends what has arrived.
class TXPort : public TPort {
public:
    explicit TXPort(const QString& params);
    ~TXPort() override;

    int Open() override;
    void Close() override;
    int Send(const uint8_t* data, int count) override;
    int Receive(uint8_t* buffer, int max, int timeoutMs) override;
    void Purge() override;
    int MaxReplySize() const override { return 255; }
    uint8_t TypeId() const override { return ptXPort; }
    bool SameAs(const TPort& other) const override;

    const TXPortPrm& Prm() const { return Settings; }

private:
    void Connect();
    bool WaitForData(qint64 limitMs, bool* cancelled);

    TXPortPrm Settings;
    std::unique_ptr<QTcpSocket> Socket;
    bool Connected = false;
};

// True when the bytes end in the link CRC of what precedes it, plain or inverted.
bool EndsWithLinkCrc(const uint8_t* data, int count);
