#include "connection/connection.h"

#include "common/error.h"
#include "connection/connection_string.h"
#include "connection/crc.h"
#include "connection/test_bench.h"

#include <cstring>

namespace {
const int kMinReply = 6;       // [addr][cmd][param][status][CRC]
const int kCollectGapMs = 500; // later reads of an extended frame
}  // namespace

QString LinkFailureMessage(int code)
{
    switch (code) {
    case lfNoPort: return QStringLiteral("Ошибка при конфигурировании порта");
    case lfTransmit: return QStringLiteral("Ошибка при передаче");
    case lfNoReply: return QStringLiteral("Нет связи с электросчетчиком");
    case lfCrc: return QStringLiteral("Ошибка CRC в принятом сообщении");
    case lfEcho: return QStringLiteral("Принято эхо от передатчика\nВозможно неправильно выбран тип интерфейса");
    }
    return QString();
}

TConnection::TConnection() : Port(std::make_unique<TUnknownPort>()) {}

TConnection::~TConnection() = default;

void TConnection::SetSerialMask(const QString& mask)
{
    SerialMask = mask.leftJustified(8, QLatin1Char('?'), true);
}

void TConnection::SetPort(std::unique_ptr<TPort> port)
{
    Port = port ? std::move(port) : std::make_unique<TUnknownPort>();
}

void TConnection::SetAddressing(uint8_t netAddress, int attempts, const QString& mask, int protocol)
{
    NetAddress = netAddress;
    Attempts = attempts;
    Protocol = protocol == 1 ? 1 : 0;
    UseSerial = !mask.isEmpty();
    if (UseSerial) SetSerialMask(mask);
}

int TConnection::AddressPosition() const
{
    switch (Framing()) {
    case 2: return 3 + 8 - 1;
    case 3: return 6;
    case 4: return 5 + 8 - 1;
    default: return 0;
    }
}

void TConnection::BuildFrame(const TLinkRequest& request)
{
    int n = 0;
    if (UseSerial || Protocol == 1) {
        TxBuffer[n++] = 0xFF;
        TxBuffer[n++] = 0x7F;
        TxBuffer[n++] = 0x00;
        if (Protocol == 1) {
            TxBuffer[2] |= 0x01;
            TxBuffer[n++] = 0;  // length, set below
            TxBuffer[n++] = ++Sequence;
        }
        if (UseSerial) {
            const QByteArray mask = SerialMask.toLatin1();
            for (int i = 0; i < 8; ++i) TxBuffer[n++] = uint8_t(mask.at(i));
        } else {
            TxBuffer[2] |= 0x02;
            TxBuffer[n++] = 0x00;
            TxBuffer[n++] = NetAddress;
        }
    } else {
        TxBuffer[n++] = NetAddress;
    }
    // A body that does not fit the 256-byte frame is refused instead of overrunning it.
    if (n + request.BodyLength + 2 > int(sizeof TxBuffer))
        throw TError(LinkFailureMessage(lfTransmit));
    std::memcpy(TxBuffer + n, request.Body, request.BodyLength);
    n += request.BodyLength;
    if (Protocol == 1) TxBuffer[3] = uint8_t(n + 2);
    uint16_t crc = Crc16(TxBuffer, size_t(n));
    if (Framing() != 1) crc = uint16_t(~crc);
    TxBuffer[n++] = uint8_t(crc >> 8);
    TxBuffer[n++] = uint8_t(crc & 0xFF);
    TxLength = n;
}

int TConnection::ReadReply(const TLinkRequest& request, bool fixed)
{
    const int want = fixed ? request.ReplyLength : int(sizeof RxBuffer);
    if (Protocol == 0) return qMax(0, Port->Receive(RxBuffer, qMax(1, want), request.TimeoutMs));

    // Extended framing: collect pieces until the length byte (0xFF until it arrives) is met.
    int got = 0;
    bool first = true;
    while (got < 3 || got < RxBuffer[3]) {
        const int space = int(sizeof RxBuffer) - got;
        if (space <= 0) break;
        const int ask = fixed ? qMin(qMax(1, want), space) : space;
        const int n = Port->Receive(RxBuffer + got, ask, first ? request.TimeoutMs : kCollectGapMs);
        first = false;
        if (n <= 0) break;
        got += n;
    }
    return got;
}

int TConnection::CheckReply(int got, bool echoCheck, bool fixed) const
{
    if (got < kMinReply) return fixed && got > 0 ? lfCrc : lfNoReply;

    uint16_t crc = uint16_t((RxBuffer[got - 2] << 8) | RxBuffer[got - 1]);
    const int framing = Framing();
    if (framing != 1) crc = uint16_t(~crc);
    if (crc != Crc16(RxBuffer, size_t(got - 2))) return lfCrc;

    if (echoCheck && got == TxLength && std::memcmp(RxBuffer, TxBuffer, size_t(got)) == 0) return lfEcho;

    // The reply must reach its status byte, then match the request's header.
    const int addr = AddressPosition();
    if (got < addr + 4 + 2) return lfCrc;
    if (RxBuffer[0] != TxBuffer[0] || (RxBuffer[1] & 0x7F) != TxBuffer[1]) return lfCrc;
    if (framing != 1 && RxBuffer[2] != TxBuffer[2]) return lfCrc;
    if ((framing == 3 || framing == 4) && (RxBuffer[3] != got || RxBuffer[4] != Sequence)) return lfCrc;
    if (framing == 3 && (RxBuffer[6] != TxBuffer[6] || (!fixed && (RxBuffer[7] & 0x7F) != TxBuffer[7])))
        return lfCrc;
    if ((framing == 2 || framing == 4) && (RxBuffer[addr + 1] & 0x7F) != TxBuffer[addr + 1]) return lfCrc;
    return -1;
}

uint8_t TConnection::Exchange(TLinkRequest& request) { return RunExchange(request, false); }

uint8_t TConnection::ExchangeFixed(TLinkRequest& request) { return RunExchange(request, true); }

uint8_t TConnection::RunExchange(TLinkRequest& request, bool fixed)
{
    if (!Port) throw TError(LinkFailureMessage(lfNoPort));
    if (Stats.FirstTime.isNull()) Stats.FirstTime = QDateTime::currentDateTime();
    // Taken before building: a refused body must not pass the flag on.
    const bool echoCheck = !SkipEcho;
    SkipEcho = false;
    BuildFrame(request);

    int failure = lfNoReply;
    for (int remaining = Attempts; remaining >= 0; --remaining) {
        ++Stats.Total;
        Port->Purge();
        std::memset(RxBuffer, 0xFF, sizeof RxBuffer);
        if (Trace) Trace(true, QByteArray(reinterpret_cast<const char*>(TxBuffer), TxLength));
        if (Port->Send(TxBuffer, TxLength) < TxLength) {
            failure = lfTransmit;
            ++Stats.TxErrors;
            continue;
        }
        const int got = ReadReply(request, fixed);
        if (Trace) Trace(false, QByteArray(reinterpret_cast<const char*>(RxBuffer), got));
        failure = CheckReply(got, echoCheck, fixed);
        if (failure >= 0) {
            switch (failure) {
            case lfNoReply: ++Stats.RxErrors; break;
            case lfEcho: ++Stats.Echoes; break;
            default: (got < kMinReply ? Stats.RxErrors : Stats.CrcErrors)++; break;
            }
            continue;
        }

        ++Stats.Good;
        Stats.BytesSent += uint32_t(TxLength);
        Stats.BytesReceived += uint32_t(got);
        Stats.LastTime = QDateTime::currentDateTime();
        const int addr = AddressPosition();
        const int framing = Framing();
        if (framing == 2 || framing == 4)
            LastSerial = QString::fromLatin1(reinterpret_cast<const char*>(RxBuffer + addr - 7), 8);
        RxBuffer[got - 2] = 0;  // the data reads as a zero-terminated text
        request.Reply = RxBuffer + addr;
        request.ReplySize = got - 2 - addr;
        const bool sameCommand = (RxBuffer[addr + 1] & 0x7F) == TxBuffer[addr + 1]
                                 && RxBuffer[addr + 2] == TxBuffer[addr + 2];
        return sameCommand ? RxBuffer[addr + 3] : 8;
    }
    LastSerial = QString::number(failure);
    throw TError(LinkFailureMessage(failure));
}

int TConnection::Connect(const QString& text)
{
    TParsedConnection parsed = ParseConnection(text);
    if (Port->TypeId() != parsed.Port->TypeId() || !Port->SameAs(*parsed.Port)) Port = std::move(parsed.Port);

    int place = 0;
    if (IsTestBenchName(parsed.Name, &place)) SwitchTestBench(place);

    const int result = Port->Open();
    Name = parsed.Name;
    NetAddress = parsed.NetAddress;
    Attempts = parsed.Repetitions;
    Protocol = parsed.Framing;
    UseSerial = !parsed.Mask.isEmpty();
    if (UseSerial) SetSerialMask(parsed.Mask);
    return result;
}

void TConnection::Disconnect() { Port->Close(); }
