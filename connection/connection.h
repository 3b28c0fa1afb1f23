#pragma once
#include "connection/port.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// Exchange counters, shown in this order by the statistics box.
struct TLinkStatistics {
    uint32_t Total = 0;
    uint32_t Good = 0;
    uint32_t TxErrors = 0;
    uint32_t RxErrors = 0;
    uint32_t CrcErrors = 0;
    uint32_t Echoes = 0;
    uint32_t BytesSent = 0;
    uint32_t BytesReceived = 0;
    QDateTime FirstTime;  // null = unset
    QDateTime LastTime;
};

// One exchange as the command layer hands it to the engine.
struct TLinkRequest {
    uint8_t Body[256] = {};
    uint8_t BodyLength = 0;
    uint8_t ReplyLength = 0;  // fixed-length exchange only: whole reply, CRC included
    int TimeoutMs = 0;        // 0 = the transport's own time-out
    // Out: the reply from its address position: [addr][cmd][param][status][data...],
    // data followed by a zero byte. Valid until the next exchange.
    const uint8_t* Reply = nullptr;
    int ReplySize = 0;        // bytes from Reply up to (not including) the CRC
};

// Link failure codes; the raised error carries the code's message.
enum TLinkFailure { lfNoPort = 0, lfTransmit = 1, lfNoReply = 2, lfCrc = 3, lfEcho = 4 };
QString LinkFailureMessage(int code);

// The link protocol engine: frames, addresses and checks every exchange with
// a meter, retries failed attempts and keeps the exchange statistics.
class TConnection {
public:
    TConnection();
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    uint8_t Exchange(TLinkRequest& request);
    // Each read asks for exactly ReplyLength bytes (meter search).
    uint8_t ExchangeFixed(TLinkRequest& request);

    int Connect(const QString& text);
    void Disconnect();

    TLinkStatistics GetStatistics() const { return Stats; }
    void ResetStatistics() { Stats = TLinkStatistics(); }
    void SetSkipEcho() { SkipEcho = true; }
    int GetMaxReplySize() const { return Port->MaxReplySize(); }

    const QString& GetLastSerial() const { return LastSerial; }
    const QString& GetSerialMask() const { return SerialMask; }
    void SetSerialMask(const QString& mask);
    const QString& GetName() const { return Name; }
    uint8_t GetNetAddress() const { return NetAddress; }
    bool GetUseSerial() const { return UseSerial; }
    int GetAttempts() const { return Attempts; }
    int GetProtocol() const { return Protocol; }
    TPort& GetPort() { return *Port; }

    // Installs a transport directly (tools and tests that build their own port).
    void SetPort(std::unique_ptr<TPort> port);
    void SetAddressing(uint8_t netAddress, int attempts, const QString& mask, int protocol);

    // Observer of every frame on the line (outgoing request or received reply).
    using TraceHook = std::function<void(bool outgoing, const QByteArray& frame)>;
    void SetTrace(TraceHook hook) { Trace = std::move(hook); }

private:
    uint8_t RunExchange(TLinkRequest& request, bool fixed);
    void BuildFrame(const TLinkRequest& request);
    int ReadReply(const TLinkRequest& request, bool fixed);
    int CheckReply(int received, bool echoCheck, bool fixed) const;  // failure code or -1
    // 1 plain, 2 serial number, 3 extended by address, 4 extended by serial number
    int Framing() const { return UseSerial ? (Protocol == 1 ? 4 : 2) : (Protocol == 1 ? 3 : 1); }
    int AddressPosition() const;

    QString LastSerial;
    QString SerialMask = QStringLiteral("????????");
    bool UseSerial = false;
    std::unique_ptr<TPort> Port;
    QString Name;
    uint8_t NetAddress = 0;
    int Attempts = 0;
    int Protocol = 0;
    uint8_t TxBuffer[256] = {};
    uint8_t RxBuffer[256] = {};
    int TxLength = 0;
    TLinkStatistics Stats;
    bool SkipEcho = false;
    uint8_t Sequence = 0;
    TraceHook Trace;
};
