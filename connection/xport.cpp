#include "connection/xport.h"

#include "common/error.h"
#include "common/wait_hook.h"
#include "connection/crc.h"
#include "connection/str_prm.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QTcpSocket>
#include <atomic>
#include <thread>

namespace {

const char* const kConnecting = "Соединение TCP: ";
const char* const kNoConnection = "Нет соединения TCP: ";
const quint16 kDefaultTcpPort = 10001;
// Longest wait for the next piece of a reply that has started.
const qint64 kStreamTimeoutMs = 10000;

[[noreturn]] void RaiseCancelled() { throw TError(QString::fromUtf8(kCancelledMessage)); }

// Puts the wait window's status text back when the connect is over.
class TStatusRestore {
public:
    TStatusRestore() : Window(CurrentWaitWindow()), Saved(Window ? Window->StatusText() : QString()) {}
    ~TStatusRestore()
    {
        if (Window && Window == CurrentWaitWindow()) Window->SetStatusText(Saved);
    }

private:
    IWaitWindow* Window;
    QString Saved;
};

// A name lookup can block for seconds, so it runs on its own thread; the
// thread owns its result and outlives an abandoned wait safely.
struct THostLookup {
    std::atomic<bool> Done{false};
    QList<QHostAddress> Addresses;
};

QHostAddress PreferIPv4(const QList<QHostAddress>& addresses)
{
    for (const QHostAddress& a : addresses)
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a;
    return addresses.isEmpty() ? QHostAddress() : addresses.first();
}

// Resolves the host within the time left; a null address when it failed or
// the user cancelled.
QHostAddress Resolve(const QString& host, const QElapsedTimer& clock, qint64 limitMs, bool* cancelled)
{
    QHostAddress literal;
    if (literal.setAddress(host.trimmed())) return literal;
    auto lookup = std::make_shared<THostLookup>();
    std::thread([lookup, host] {
        lookup->Addresses = QHostInfo::fromName(host.trimmed()).addresses();
        lookup->Done = true;
    }).detach();
    while (!lookup->Done) {
        if (clock.elapsed() >= limitMs) return QHostAddress();
        if (SleepAndCheckCancel()) {
            *cancelled = true;
            return QHostAddress();
        }
    }
    return PreferIPv4(lookup->Addresses);
}

}  // namespace

bool TXPortPrm::operator==(const TXPortPrm& o) const
{
    return Host == o.Host && Port == o.Port && ReplyTimeout == o.ReplyTimeout && InterByte == o.InterByte
        && ConnectTimeout == o.ConnectTimeout && SettleDelay == o.SettleDelay && SendDelay == o.SendDelay;
}

quint16 TXPortPrm::PortNumber() const
{
    bool ok = false;
    const quint16 port = Port.trimmed().toUShort(&ok);
    return ok ? port : kDefaultTcpPort;
}

TXPortPrm ParseXPortPrm(const QString& params)
{
    TXPortPrm p;
    TStrPrm reader(params);
    reader.ReadText(p.Host);
    reader.ReadText(p.Port);
    reader.ReadInt(p.ReplyTimeout);
    reader.ReadInt(p.InterByte);
    reader.ReadInt(p.ConnectTimeout);
    reader.ReadInt(p.SettleDelay);
    reader.ReadInt(p.SendDelay);
    return p;
}

bool EndsWithLinkCrc(const uint8_t* data, int count)
{
    if (count < 3) return false;
    const uint16_t crc = Crc16(data, size_t(count - 2));
    const uint16_t tail = uint16_t((data[count - 2] << 8) | data[count - 1]);
    return tail == crc || tail == uint16_t(~crc);
}

TXPort::TXPort(const QString& params) : Settings(ParseXPortPrm(params)) {}

TXPort::~TXPort() { Close(); }

int TXPort::Open()
{
    // A gateway may drop an idle connection; a dead one is connected anew.
    if (Connected && Socket->state() == QAbstractSocket::ConnectedState) return 0;
    Close();
    Connect();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < Settings.SettleDelay) {
        if (SleepAndCheckCancel()) break;  // a cancel only cuts the pause short
    }
    Connected = true;
    return 0;
}

void TXPort::Connect()
{
    const QString target = Settings.Host + QLatin1Char(':') + Settings.Port;
    TStatusRestore restore;
    SetWaitStatus(QString::fromUtf8(kConnecting) + target);
    QElapsedTimer clock;
    clock.start();
    bool cancelled = false;
    const QHostAddress address = Resolve(Settings.Host, clock, Settings.ConnectTimeout, &cancelled);
    if (!address.isNull()) {
        Socket = std::make_unique<QTcpSocket>();
        Socket->connectToHost(address, Settings.PortNumber());
        // A refused connection falls back to the unconnected state at once:
        // waiting on cannot make it succeed.
        while (Socket->state() != QAbstractSocket::ConnectedState
               && Socket->state() != QAbstractSocket::UnconnectedState && clock.elapsed() < Settings.ConnectTimeout) {
            Socket->waitForConnected(1);
            if (CheckCancel()) {
                cancelled = true;
                break;
            }
        }
    }
    if (Socket && Socket->state() == QAbstractSocket::ConnectedState) return;
    Socket.reset();
    if (cancelled) RaiseCancelled();
    throw TError(QString::fromUtf8(kNoConnection) + target);
}

void TXPort::Close()
{
    if (Socket) Socket->abort();
    Socket.reset();
    Connected = false;
}

int TXPort::Send(const uint8_t* data, int count)
{
    if (!Connected || count <= 0) return 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < Settings.SendDelay) {
        if (SleepAndCheckCancel()) break;  // the receive that follows reports it
    }
    if (Socket->state() != QAbstractSocket::ConnectedState
        || Socket->write(reinterpret_cast<const char*>(data), count) != count)
        return 0;
    clock.restart();
    while (Socket->bytesToWrite() > 0) {
        if (clock.elapsed() >= kStreamTimeoutMs) return 0;
        if (!Socket->waitForBytesWritten(1) && Socket->state() != QAbstractSocket::ConnectedState) return 0;
        if (CheckCancel()) RaiseCancelled();
    }
    return count;
}

// Waits up to limitMs for bytes to read; false when none came, the peer
// closed the connection or the user cancelled.
bool TXPort::WaitForData(qint64 limitMs, bool* cancelled)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (Socket->bytesAvailable() > 0) return true;
        if (Socket->state() != QAbstractSocket::ConnectedState || clock.elapsed() >= limitMs) return false;
        if (CheckCancel()) {
            *cancelled = true;
            return false;
        }
        Socket->waitForReadyRead(1);
    }
}

int TXPort::Receive(uint8_t* buffer, int max, int timeoutMs)
{
    if (!Connected || max <= 0) return 0;
    bool cancelled = false;
    int received = 0;
    auto take = [&] {
        const qint64 n = Socket->read(reinterpret_cast<char*>(buffer) + received, max - received);
        if (n > 0) received += int(n);
    };
    if (WaitForData(timeoutMs > 0 ? timeoutMs : Settings.ReplyTimeout, &cancelled)) take();
    while (received > 0 && received < max && !cancelled) {
        if (received > 5 && EndsWithLinkCrc(buffer, received)) break;
        if (!WaitForData(Settings.InterByte + kStreamTimeoutMs, &cancelled)) break;
        take();
    }
    if (cancelled) RaiseCancelled();
    return received;
}

void TXPort::Purge()
{
    if (!Connected) return;
    Socket->waitForReadyRead(0);
    Socket->readAll();
}

bool TXPort::SameAs(const TPort& other) const
{
    const auto* x = dynamic_cast<const TXPort*>(&other);
    return x && x->Settings == Settings;
}
