#include "connection/serial_port.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"
#include "connection/com_names.h"
#include "connection/str_prm.h"

#include <QElapsedTimer>
#include <QThread>
#include <cstring>
#include <linux/serial.h>
#include <sys/ioctl.h>

const char* const kComPrmError = "Ошибка задания параметров последовательного порта";

namespace {

const char* const kCannotOpen = "Не могу открыть порт:";
const char* const kTransmitterStuck = "Проблемы с COM портом";
const qint64 kDrainLimitMs = 1000;

const char* const kParityWords[] = {"no", "odd", "even"};
const char* const kLineModeWords[] = {"no", "supply", "hard", "togle"};

template <size_t N>
uint8_t WordIndex(const char* const (&words)[N], const QString& word)
{
    for (size_t i = 1; i < N; ++i)
        if (word.trimmed() == QLatin1String(words[i])) return uint8_t(i);
    return 0;
}

bool IsEchoKind(TPortType kind, bool echoBase)
{
    return kind == ptMBUS || kind == ptCL || (kind == ptCom && echoBase);
}

bool ComPrmValid(TPortType kind, const TComPrm& p, bool echoBase)
{
    if (p.PortNo == 0 || p.BaudRate < 100 || p.BaudRate > 115200 || p.Parity > 2 || p.LineMode > 3
        || (p.StopBits != 1 && p.StopBits != 2))
        return false;
    // The optical probe is fed from DTR/RTS and talks at one fixed speed.
    if (kind == ptOpto) return p.BaudRate == 2400 && p.Parity == 2 && p.LineMode == 1 && p.StopBits == 1;
    if (IsEchoKind(kind, echoBase)) return p.LineMode == 0;
    return true;
}

// Kernel RS-485 mode switches RTS around every transmission by itself; a
// mode already set up by the system is kept as it is.
bool EnableKernelRs485(int fd, bool* enabledByUs)
{
    *enabledByUs = false;
    serial_rs485 rs485{};
    if (::ioctl(fd, TIOCGRS485, &rs485) != 0) return false;
    if (rs485.flags & SER_RS485_ENABLED) return true;
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~uint32_t(SER_RS485_RTS_AFTER_SEND);
    if (::ioctl(fd, TIOCSRS485, &rs485) != 0) return false;
    *enabledByUs = true;
    return true;
}

void DisableKernelRs485(int fd)
{
    serial_rs485 rs485{};
    if (::ioctl(fd, TIOCGRS485, &rs485) != 0) return;
    rs485.flags &= ~uint32_t(SER_RS485_ENABLED);
    ::ioctl(fd, TIOCSRS485, &rs485);
}

// The last stop bit has left the wire; a driver that knows neither the line
// status nor its output queue cannot be waited for.
bool TransmitterEmpty(int fd)
{
    int lsr = 0;
    if (::ioctl(fd, TIOCSERGETLSR, &lsr) == 0) return (lsr & TIOCSER_TEMT) != 0;
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) == 0) return queued == 0;
    return true;
}

[[noreturn]] void RaiseCancelled() { throw TError(QString::fromUtf8(kCancelledMessage)); }

}  // namespace

bool TComPrm::operator==(const TComPrm& o) const
{
    return PortNo == o.PortNo && BaudRate == o.BaudRate && Parity == o.Parity && LineMode == o.LineMode
        && StopBits == o.StopBits && ReadTimeout == o.ReadTimeout && InterByte == o.InterByte && Echo == o.Echo;
}

TComPrm DefaultComPrm(TPortType kind, bool echoBase)
{
    TComPrm p;
    switch (kind) {
    case ptOpto: p.BaudRate = 2400; p.Parity = 2; p.LineMode = 1; break;
    case ptRS485: p.LineMode = 3; break;
    case ptPLCModem: p.BaudRate = 300; p.ReadTimeout = 2000; p.InterByte = 100; break;
    default: break;
    }
    if (IsEchoKind(kind, echoBase)) p.Echo = 1;
    return p;
}

TComPrm ParseComPrm(TPortType kind, const QString& params, bool echoBase)
{
    TComPrm p = DefaultComPrm(kind, echoBase);
    TStrPrm reader(params);
    reader.ReadByte(p.PortNo);
    reader.ReadUInt(p.BaudRate);
    QString word;
    if (reader.ReadText(word) > 0) p.Parity = WordIndex(kParityWords, word);
    if (reader.ReadText(word) > 0) p.LineMode = WordIndex(kLineModeWords, word);
    reader.ReadByte(p.StopBits);
    reader.ReadUInt(p.ReadTimeout);
    reader.ReadUInt(p.InterByte);
    reader.ReadByte(p.Echo);
    if (!ComPrmValid(kind, p, echoBase)) throw TError(QString::fromUtf8(kComPrmError));
    return p;
}

QString ComPrmText(TPortType kind, const TComPrm& prm, bool echoBase)
{
    const TComPrm d = DefaultComPrm(kind, echoBase);
    TStrPrm writer;
    auto number = [&writer](long long value, long long def) {
        if (value == def) writer.Skip();
        else writer.AddNumber(value);
    };
    auto word = [&writer](const char* const* words, uint8_t value, uint8_t def) {
        if (value == def) writer.Skip();
        else writer.AddText(QLatin1String(words[value]));
    };
    number(prm.PortNo, d.PortNo);
    number(prm.BaudRate, d.BaudRate);
    word(kParityWords, qMin<uint8_t>(prm.Parity, 2), d.Parity);
    word(kLineModeWords, qMin<uint8_t>(prm.LineMode, 3), d.LineMode);
    number(prm.StopBits, d.StopBits);
    number(prm.ReadTimeout, d.ReadTimeout);
    number(prm.InterByte, d.InterByte);
    number(prm.Echo, d.Echo);
    return writer.Result();
}

TComTimeouts ComputeComTimeouts(const TComPrm& prm, int rxFifo)
{
    const qint64 fifo = rxFifo > 1 ? rxFifo : 4;
    const qint64 baud = qMax<qint64>(prm.BaudRate, 1);
    TComTimeouts t;
    if (prm.InterByte != 0) {
        t.Gap = prm.InterByte;
    } else {
        // The time of 8 characters.
        const qint64 bitsPerChar = prm.StopBits == 1 ? 10 : 11;
        t.Gap = qBound(qint64(1), bitsPerChar * 8000 / baud, qint64(500));
    }
    t.InterByte = t.Gap * fifo;
    t.Multiplier = qMax<qint64>(1, 10000 / baud);
    // Read time-out plus the time of 64 characters.
    t.Constant = (prm.ReadTimeout != 0 ? prm.ReadTimeout : 2000) + 640000 / baud;
    return t;
}

int ConfiguredRxFifo()
{
    static const int fifo = [] {
        try {
            return TMyIniFile(SettingsFilePath()).ReadInteger(QStringLiteral("common"), QStringLiteral("rx_fifo"), 4);
        } catch (const TError&) {
            return 4;
        }
    }();
    return fifo;
}

TCom::TCom(const QString& params) : TCom(ptCom, params) {}

TCom::TCom(TPortType kind, const QString& params, bool echoBase)
    : Kind(kind), Settings(ParseComPrm(kind, params, echoBase))
{
    ConfiguredRxFifo();
}

TCom::~TCom() { Close(); }

int TCom::Open()
{
    if (Serial.isOpen()) {
        Purge();
        return 0;
    }
    const QString device = ComDevicePath(Settings.PortNo);
    Serial.setPortName(device);
    if (!Serial.open(QIODevice::ReadWrite)) throw TError(QString::fromUtf8(kCannotOpen) + device);
    ApplyLineSettings();
    Timeouts = ComputeComTimeouts(Settings, ConfiguredRxFifo());
    return 0;
}

// A driver that refuses a setting (a pseudo-terminal refuses the modem
// lines) leaves the port usable with what it had, so refusals are not errors.
void TCom::ApplyLineSettings()
{
    Serial.setBaudRate(qint32(Settings.BaudRate));
    Serial.setDataBits(QSerialPort::Data8);
    Serial.setParity(Settings.Parity == 1   ? QSerialPort::OddParity
                     : Settings.Parity == 2 ? QSerialPort::EvenParity
                                            : QSerialPort::NoParity);
    Serial.setStopBits(Settings.StopBits == 1 ? QSerialPort::OneStop : QSerialPort::TwoStop);
    Serial.setFlowControl(Settings.LineMode == 2 ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
    Serial.setDataTerminalReady(true);
    if (Settings.LineMode <= 1) {
        Serial.setRequestToSend(true);  // an optical probe is fed from DTR and RTS
    } else if (Settings.LineMode == 3) {
        KernelRs485 = EnableKernelRs485(int(Serial.handle()), &Rs485EnabledByUs);
        if (!KernelRs485) Serial.setRequestToSend(false);
    }
    Serial.clearError();
}

uint8_t TCom::PortNumber() const
{
    return Kind == ptRS232 || Kind == ptOpto || Kind == ptRS485 ? Settings.PortNo : 0;
}

void TCom::Close()
{
    if (!Serial.isOpen()) return;
    if (Rs485EnabledByUs) DisableKernelRs485(int(Serial.handle()));
    KernelRs485 = Rs485EnabledByUs = false;
    Serial.close();
}

// Waits about a millisecond for input; a port in error returns at once, so
// it sleeps instead of spinning.
void TCom::WaitForInput()
{
    Serial.clearError();
    if (!Serial.waitForReadyRead(1) && Serial.error() != QSerialPort::TimeoutError) QThread::usleep(1000);
}

int TCom::Receive(uint8_t* buffer, int max, int timeoutMs)
{
    if (!Serial.isOpen() || max <= 0) return 0;
    const qint64 total = Timeouts.Multiplier * max + qMax<qint64>(Timeouts.Constant, timeoutMs);
    QElapsedTimer clock;
    clock.start();
    int received = 0;
    qint64 lastByteAt = 0;
    for (;;) {
        const qint64 n = Serial.read(reinterpret_cast<char*>(buffer) + received, max - received);
        if (n > 0) {
            received += int(n);
            lastByteAt = clock.elapsed();
        }
        if (received >= max) break;
        const qint64 now = clock.elapsed();
        if (received > 0 && now - lastByteAt > Timeouts.InterByte) break;
        if (now >= total) break;
        WaitForInput();
        if (CheckCancel()) RaiseCancelled();
    }
    return received;
}

int TCom::Send(const uint8_t* data, int count)
{
    if (!Serial.isOpen() || count <= 0) return 0;
    // Without kernel RS-485 support the transmitter is enabled by RTS here.
    const bool rtsByHand = Settings.LineMode == 3 && !KernelRs485;
    struct TRtsRelease {
        QSerialPort* port;
        ~TRtsRelease()
        {
            if (port) port->setRequestToSend(false);
        }
    } rtsRelease{rtsByHand ? &Serial : nullptr};
    if (rtsByHand) Serial.setRequestToSend(true);

    Serial.write(reinterpret_cast<const char*>(data), count);
    const qint64 limit = Timeouts.SendTotal(count);
    QElapsedTimer clock;
    clock.start();
    while (Serial.bytesToWrite() > 0 && clock.elapsed() < limit) {
        Serial.clearError();
        if (!Serial.waitForBytesWritten(1) && Serial.error() != QSerialPort::TimeoutError) QThread::usleep(1000);
        if (CheckCancel()) RaiseCancelled();
    }
    const int written = count - int(Serial.bytesToWrite());
    if (rtsByHand) DrainTransmitter();
    if (written < count) {
        Serial.clear(QSerialPort::Output);
        return written;
    }
    if (Settings.Echo == 1) {
        QByteArray echo(count, '\0');
        if (Receive(reinterpret_cast<uint8_t*>(echo.data()), count, 0) < count
            || std::memcmp(echo.constData(), data, size_t(count)) != 0)
            return 0;
    }
    return count;
}

void TCom::DrainTransmitter()
{
    const int fd = int(Serial.handle());
    QElapsedTimer clock;
    clock.start();
    while (!TransmitterEmpty(fd)) {
        if (clock.elapsed() >= kDrainLimitMs) throw TError(QString::fromUtf8(kTransmitterStuck));
        QThread::usleep(1000);
    }
}

void TCom::Purge()
{
    if (Serial.isOpen()) Serial.clear(QSerialPort::AllDirections);
}

int TCom::MaxReplySize() const { return Kind == ptPLCModem ? 50 : 128; }

uint8_t TCom::TypeId() const { return Kind; }

bool TCom::SameAs(const TPort& other) const
{
    const auto* com = dynamic_cast<const TCom*>(&other);
    return com && com->Settings == Settings;
}

std::optional<bool> TCom::CarrierDetect()
{
    if (!Serial.isOpen()) return std::nullopt;
    Serial.clearError();
    const QSerialPort::PinoutSignals lines = Serial.pinoutSignals();
    if (Serial.error() != QSerialPort::NoError) {
        Serial.clearError();
        return std::nullopt;
    }
    return lines.testFlag(QSerialPort::DataCarrierDetectSignal);
}
