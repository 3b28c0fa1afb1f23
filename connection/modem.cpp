#include "connection/modem.h"

#include "common/error.h"
#include "common/wait_hook.h"
#include "connection/str_prm.h"

#include <QElapsedTimer>

const char* const kModemPrmError = "Ошибка задания параметров модема";

namespace {

const char* const kNoModem = "Нет связи с модемом";
const char* const kInitRefused = "Ошибка в строке запроса к модему: ";
const char* const kInitialising = "Инициализация модема...";
const char* const kWaitingFor = "Ожидание соединения с ";
const char* const kRemoteHungUp = "Удаленный модем разорвал соединение";
const int kResponseSize = 64;
const int kCommandSeconds = 5;
const int kMaxUndecided = 10;

// Dial result words, tested in this order; an empty message means "keep waiting".
struct TResultWord {
    const char* word;
    const char* message;
};
const TResultWord kResultWords[] = {
    {"RINGING", ""},
    {"NO CARRIER", "Нет связи с удаленным модемом"},
    {"BUSY", "Телефонная линия занята"},
    {"NO DIAL TONE", "Модем не подключен к телефонной линии"},
    {"ERROR", "Ошибка при наборе номера абонента"},
};

[[noreturn]] void Raise(const char* message) { throw TError(QString::fromUtf8(message)); }

// True when connected; raises the message of a failure word.
bool Connected(const QString& response)
{
    if (response.contains(QLatin1String("CONNECT"))) return true;
    for (const TResultWord& r : kResultWords) {
        if (!response.contains(QLatin1String(r.word))) continue;
        if (*r.message) Raise(r.message);
        return false;
    }
    return false;
}

void Pause(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (SleepAndCheckCancel()) Raise(kCancelledMessage);
    }
}

QString InnerPortParams(const TModemPrm& p)
{
    return QStringLiteral("%1,%2,no,no,1,5000,12,0").arg(p.Port).arg(p.Baud);
}

}  // namespace

bool TModemPrm::operator==(const TModemPrm& o) const
{
    return Phone == o.Phone && Port == o.Port && Init == o.Init && Wait == o.Wait && Idle == o.Idle
        && Baud == o.Baud && Rlsd == o.Rlsd;
}

TModemPrm ParseModemPrm(const QString& params)
{
    TModemPrm p;
    TStrPrm reader(params);
    reader.ReadText(p.Phone);
    reader.ReadByte(p.Port);
    reader.ReadText(p.Init);
    reader.ReadByte(p.Wait);
    reader.ReadByte(p.Idle);
    reader.ReadUInt(p.Baud);
    reader.ReadBool(p.Rlsd);
    if (p.Port == 0 || p.Baud < 100 || p.Baud > 115200) Raise(kModemPrmError);
    return p;
}

QString ModemPrmText(const TModemPrm& prm)
{
    const TModemPrm d;
    TStrPrm writer;
    auto text = [&writer](const QString& value) {
        if (value.isEmpty()) writer.Skip();
        else writer.AddText(value);
    };
    auto number = [&writer](long long value, long long def) {
        if (value == def) writer.Skip();
        else writer.AddNumber(value);
    };
    text(prm.Phone);
    number(prm.Port, d.Port);
    text(prm.Init);
    number(prm.Wait, d.Wait);
    number(prm.Idle, d.Idle);
    number(prm.Baud, d.Baud);
    number(prm.Rlsd ? 1 : 0, d.Rlsd ? 1 : 0);
    return writer.Result();
}

TModem::TModem(const QString& params) : Settings(ParseModemPrm(params)), Com(InnerPortParams(Settings)) {}

TModem::~TModem()
{
    try {
        Close();
    } catch (const TError&) {
        // the port is closed whatever the modem answered
    }
}

bool TModem::SameAs(const TPort& other) const
{
    const auto* modem = dynamic_cast<const TModem*>(&other);
    return modem && modem->Settings == Settings;
}

bool TModem::IsOnline()
{
    if (Settings.Rlsd) {
        if (const std::optional<bool> carrier = Com.CarrierDetect()) return *carrier;
    }
    return LineState == msOnline;
}

QString TModem::ModemCommand(const QString& command, int seconds)
{
    QString line;
    if (!command.isEmpty()) {
        line = QStringLiteral("AT") + command.trimmed();
        const QByteArray bytes = line.toLatin1() + '\r';
        if (Com.Send(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size()) != bytes.size()) Raise(kNoModem);
    }
    bool echoSeen = false;
    uint8_t buffer[kResponseSize];
    for (;;) {
        const int n = Com.Receive(buffer, kResponseSize, seconds * 1000);
        if (n == 0) {
            if (line == QLatin1String("AT")) return QString();
            Raise(kNoModem);
        }
        const QString response = QString::fromLatin1(reinterpret_cast<const char*>(buffer), n).trimmed();
        // The modem repeats the command line first (E1); one repetition is skipped.
        if (response == line && !echoSeen) {
            echoSeen = true;
            continue;
        }
        Pause(300);
        return response;
    }
}

int TModem::Open()
{
    Com.Open();
    if (!IsOnline()) {
        if (LineState == msNew) {
            SetWaitStatus(QString::fromUtf8(kInitialising));
            const QString init = Settings.Init + QStringLiteral("E1S7=") + QString::number(Settings.Wait);
            const QString response = ModemCommand(init, kCommandSeconds);
            if (!response.contains(QLatin1String("OK")) && response != QLatin1String("0"))
                throw TError(QString::fromUtf8(kInitRefused) + init);
        }
        Dial();
    }
    LineState = msOnline;
    return Settings.Idle;
}

void TModem::Dial()
{
    QString shown = Settings.Phone;
    if (shown.startsWith(QLatin1Char('P')) || shown.startsWith(QLatin1Char('T'))) shown[0] = QLatin1Char(' ');
    SetWaitStatus(QString::fromUtf8(kWaitingFor) + shown);
    QElapsedTimer clock;
    clock.start();
    if (Connected(ModemCommand(QStringLiteral("D") + Settings.Phone, Settings.Wait))) return;
    // Undecided answers: keep listening for the rest of the wait. After the
    // last one the line counts as up; the first exchange tells if it is.
    for (int i = 0; i < kMaxUndecided; ++i) {
        const int remaining = qMax(1, int(Settings.Wait - clock.elapsed() / 1000));
        if (Connected(ModemCommand(QString(), remaining))) return;
    }
}

int TModem::Send(const uint8_t* data, int count)
{
    return LineState == msOnline ? Com.Send(data, count) : 0;
}

int TModem::Receive(uint8_t* buffer, int max, int timeoutMs)
{
    if (LineState != msOnline) return 0;
    const int n = Com.Receive(buffer, max, timeoutMs);
    if (QByteArray::fromRawData(reinterpret_cast<const char*>(buffer), n).contains("NO CARRIER")) {
        LineState = msLineDown;
        Raise(kRemoteHungUp);
    }
    return n;
}

// A line left up costs the user money, so the call is hung up on every
// close, also when no wait window is shown (idle drop, exit).
void TModem::Close()
{
    if (IsOnline()) {
        try {
            HangUp();
        } catch (const TError&) {
            Com.Close();
            LineState = msLineDown;
            throw;
        }
        LineState = msLineDown;
    }
    Com.Close();
}

void TModem::HangUp()
{
    Com.Purge();
    Pause(1000);
    static const uint8_t kEscape[] = {'+', '+', '+'};
    Com.Send(kEscape, 3);
    try {
        ModemCommand(QString(), kCommandSeconds);
    } catch (const TError&) {
        // no "OK" to the escape: the hang-up below is tried all the same
    }
    try {
        ModemCommand(QStringLiteral("H"), kCommandSeconds);
    } catch (const TError&) {
        // closing the port drops DTR, which ends the call on most modems
    }
}
