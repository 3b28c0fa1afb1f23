#include "sim/sim_options.h"

#include "common/error.h"

#include <QHostAddress>
#include <QSet>

const char* const kSimUsage = R"(Usage: zv301-sim [switches]

Simulates one or more ZV-301 meters on one bus, reachable over TCP (as a
serial-to-Ethernet gateway) and/or a pseudo-terminal. Every link prints one
line when it listens ("listening tcp HOST:PORT", "listening pty PATH -> DEVICE",
"listening bench TITLE"). SIGTERM, SIGINT or SIGHUP end the program and remove
the pty link. A frame with a bad CRC gets no answer; bytes before a valid frame
are ignored, and an unfinished frame is dropped after 100 ms of silence.

Meters:
  --meter SERIAL8[:ADDR]  a meter with this 8-character serial number and network
                          address (default address 1); repeatable. Without it:
                          one meter 00012345 at address 1
  --state FILE            meter state (JSON, one object per serial number):
                          loaded at start, saved after every command that
                          changed it (a saved network address wins over
                          --meter). Without it the state lives in memory only
  --type CODE             meter type code of parameter 0 (0..65535), e.g. 258
  --version TEXT          software version text of parameter 20, e.g. 3.02
  --status P:S            answer every request on parameter P (0..255) with
                          status S (1..255); repeatable
  --clock "YYYY-MM-DD HH:MM:SS"
                          the meter clocks stand still at this time (a clock
                          write moves them); without it they run with the PC
  --module KIND[:FOUND]   expansion module kind (0 none, 1 two serial
                          interfaces, 2 GSM, 3 Ethernet, 4 Wi-Fi, 5 data push)
                          and the kind the meter found installed (default KIND)
  --profile MIN[:single]  load profile slots of 15 or 30 minutes, with one
                          signed value per slot when ":single" is given
  --state-word P:WORD     live status word of archive 14 (network) or 15
                          (errors), decimal or 0x hex; repeatable

Links (without --tcp-host, --tcp-port and --pty: TCP on 127.0.0.1:10001,
unless --bench-server is given):
  --tcp-host HOST         address to listen on (default 127.0.0.1)
  --tcp-port N            TCP port (default 10001; 0 picks a free port)
  --pty PATH              create a pseudo-terminal and a symlink PATH to its
                          slave device (an existing symlink is replaced)

Faults:
  --echo                  echo every received frame at once, as a 2-wire line
                          does; the reply follows 100 ms later
  --bad-crc[=N]           corrupt the CRC of every reply (of every Nth reply,
                          counted over all links since start)
  --drop N[:mid]          cut N bytes from the end (or the middle) of each reply
  --delay MS              answer after MS milliseconds (0..60000)
  --split N[:GAPMS]       send each reply in N pieces, GAPMS apart (default 10)
  --silent                the meters never answer
  --collide               every meter answers every serial-number request,
                          whatever the mask

Modem front end:
  --modem                 the link starts in AT command mode: "OK" to every
                          command, the dial answer to ATD<number>; the command
                          line is echoed after a command containing E1 (until
                          E0); after CONNECT frames reach the meters; "+++"
                          returns to command mode ("OK"), ATH hangs up ("OK")
  --modem-answer WORD     dial answer: CONNECT (default, "CONNECT 9600"), BUSY,
                          "NO CARRIER", "NO DIAL TONE" or ERROR
  --modem-drop-after N    send "NO CARRIER" in the middle of the Nth reply on
                          the line (pty or TCP client) and hang up

Test-bench stand-in:
  --bench-server TITLE    a local socket server named TITLE: each line holding a
                          decimal place number is answered with a decimal line,
                          the place itself (-1 for a line that is not a number)
  --bench-answer N        answer N instead of the place

  --help                  this text

Exit codes: 0 after a signal, 1 when a link or the state file cannot be set up,
2 for a bad command line.
)";

namespace {

int ParseNumber(const QString& option, const QString& text, int min, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < min || value > max)
        throw TError(QString("%1: expected a number %2..%3, got '%4'").arg(option).arg(min).arg(max).arg(text));
    return value;
}

// "A:B"; the ":B" part may be left out unless a required form is named.
QPair<QString, QString> SplitPair(const QString& option, const QString& text, const char* requiredForm = nullptr)
{
    const int colon = int(text.indexOf(':'));
    if (colon < 0) {
        if (requiredForm) throw TError(QString("%1: expected %2, got '%3'").arg(option, requiredForm, text));
        return {text, QString()};
    }
    return {text.left(colon), text.mid(colon + 1)};
}

TSimMeterOption ParseMeter(const QString& text)
{
    const auto [serial, address] = SplitPair("--meter", text);
    TSimMeterOption meter;
    bool printable = serial.size() == 8;
    for (QChar c : serial) printable = printable && c.unicode() > 0x20 && c.unicode() < 0x7F && c != '?' && c != ':';
    if (!printable)
        throw TError(QString("--meter: serial number must be 8 printable ASCII characters without '?', got '%1'")
                         .arg(serial));
    meter.Serial = serial;
    if (text.contains(':')) meter.Address = uint8_t(ParseNumber("--meter", address, 0, 255));
    return meter;
}

const QSet<QString> kValueSwitches = {
    "--meter", "--state", "--type", "--version", "--status", "--tcp-host", "--tcp-port", "--pty", "--drop",
    "--delay", "--split", "--modem-answer", "--modem-drop-after", "--bench-server", "--bench-answer",
    "--clock", "--module", "--profile", "--state-word",
};
const QSet<QString> kFlagSwitches = {"--help", "--echo", "--silent", "--collide", "--modem"};
const QStringList kDialAnswers = {"CONNECT", "BUSY", "NO CARRIER", "NO DIAL TONE", "ERROR"};

}  // namespace

TSimOptions ParseSimOptions(const QStringList& args)
{
    TSimOptions options;
    bool tcpGiven = false;
    bool modemDetail = false;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args.at(i);
        QString value;
        bool hasValue = false;
        const int eq = int(name.indexOf('='));
        if (name.startsWith("--") && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        if (name == "-h") name = "--help";
        if (name == "--bad-crc") {
            options.Faults.BadCrcEvery = hasValue ? ParseNumber(name, value, 1, 1000000) : 1;
            continue;
        }
        if (kFlagSwitches.contains(name)) {
            if (hasValue) throw TError(QString("%1 takes no value").arg(name));
        } else if (kValueSwitches.contains(name)) {
            if (!hasValue) {
                if (i + 1 >= args.size()) throw TError(QString("%1 needs a value").arg(name));
                value = args.at(++i);
            }
        } else if (!name.startsWith('-')) {
            throw TError(QString("unexpected argument '%1'").arg(args.at(i)));
        } else {
            throw TError(QString("unknown switch '%1'").arg(args.at(i)));
        }

        if (name == "--help") {
            options.Help = true;
        } else if (name == "--meter") {
            const TSimMeterOption meter = ParseMeter(value);
            for (const TSimMeterOption& other : options.Meters) {
                if (other.Serial == meter.Serial) throw TError(QString("--meter: serial number %1 given twice").arg(meter.Serial));
            }
            options.Meters.append(meter);
        } else if (name == "--state") {
            if (value.isEmpty()) throw TError("--state: empty file name");
            options.StateFile = value;
        } else if (name == "--type") {
            options.TypeCode = ParseNumber(name, value, 0, 65535);
        } else if (name == "--version") {
            bool printable = !value.isEmpty() && value.size() <= 16;
            for (QChar c : value) printable = printable && c.unicode() >= 0x20 && c.unicode() < 0x7F;
            if (!printable) throw TError(QString("--version: expected 1 to 16 ASCII characters, got '%1'").arg(value));
            options.Version = value;
        } else if (name == "--status") {
            const auto [param, status] = SplitPair(name, value, "P:S");
            options.ForcedStatus.append({ParseNumber(name, param, 0, 255), uint8_t(ParseNumber(name, status, 1, 255))});
        } else if (name == "--clock") {
            options.Clock = QDateTime::fromString(QString(value).replace(' ', 'T'), Qt::ISODate);
            if (!options.Clock.isValid())
                throw TError(QString("--clock: expected \"YYYY-MM-DD HH:MM:SS\", got '%1'").arg(value));
        } else if (name == "--module") {
            const auto [kind, found] = SplitPair(name, value);
            options.ModuleKind = ParseNumber(name, kind, 0, 5);
            if (value.contains(':')) options.ModuleInstalled = ParseNumber(name, found, 0, 5);
        } else if (name == "--profile") {
            const auto [minutes, single] = SplitPair(name, value);
            if ((minutes != "15" && minutes != "30") || (value.contains(':') && single != "single"))
                throw TError(QString("--profile: expected 15, 30, 15:single or 30:single, got '%1'").arg(value));
            options.ProfileSet = true;
            options.ProfileFifteenMinutes = minutes == "15";
            options.ProfileSingleValue = value.contains(':');
        } else if (name == "--state-word") {
            const auto [param, word] = SplitPair(name, value, "P:WORD");
            bool ok = false;
            const uint wordValue = word.toUInt(&ok, 0);
            if (!ok || wordValue > 0xFFFF) throw TError(QString("--state-word: expected a word 0..0xFFFF, got '%1'").arg(word));
            options.StateWords.append({ParseNumber(name, param, 14, 15), uint16_t(wordValue)});
        } else if (name == "--tcp-host") {
            if (value != "localhost" && !QHostAddress().setAddress(value))
                throw TError(QString("--tcp-host: expected an IP address or localhost, got '%1'").arg(value));
            options.TcpHost = value;
            tcpGiven = true;
        } else if (name == "--tcp-port") {
            options.TcpPort = ParseNumber(name, value, 0, 65535);
            tcpGiven = true;
        } else if (name == "--pty") {
            if (value.isEmpty()) throw TError("--pty: empty path");
            options.PtyPath = value;
        } else if (name == "--echo") {
            options.Faults.Echo = true;
        } else if (name == "--drop") {
            const auto [count, where] = SplitPair(name, value);
            if (value.contains(':') && where != "mid") throw TError(QString("--drop: expected N or N:mid, got '%1'").arg(value));
            options.Faults.Drop = ParseNumber(name, count, 1, 255);
            options.Faults.DropMiddle = value.contains(':');
        } else if (name == "--delay") {
            options.Faults.DelayMs = ParseNumber(name, value, 0, 60000);
        } else if (name == "--split") {
            const auto [pieces, gap] = SplitPair(name, value);
            options.Faults.SplitPieces = ParseNumber(name, pieces, 1, 255);
            if (value.contains(':')) options.Faults.SplitGapMs = ParseNumber(name, gap, 0, 60000);
        } else if (name == "--silent") {
            options.Faults.Silent = true;
        } else if (name == "--collide") {
            options.Collide = true;
        } else if (name == "--modem") {
            options.Modem.Enabled = true;
        } else if (name == "--modem-answer") {
            if (!kDialAnswers.contains(value))
                throw TError(QString("--modem-answer: expected one of %1, got '%2'").arg(kDialAnswers.join(", "), value));
            options.Modem.DialAnswer = value == "CONNECT" ? QString("CONNECT 9600") : value;
            modemDetail = true;
        } else if (name == "--modem-drop-after") {
            options.Modem.DropAfter = ParseNumber(name, value, 1, 1000000);
            modemDetail = true;
        } else if (name == "--bench-server") {
            if (value.isEmpty()) throw TError("--bench-server: empty title");
            options.BenchTitle = value;
        } else if (name == "--bench-answer") {
            options.BenchAnswer = ParseNumber(name, value, -2147483647, 2147483647);
            options.BenchAnswerSet = true;
        }
    }
    if (modemDetail && !options.Modem.Enabled) throw TError("--modem-answer and --modem-drop-after need --modem");
    if (options.BenchAnswerSet && options.BenchTitle.isEmpty()) throw TError("--bench-answer needs --bench-server");
    if (options.Meters.isEmpty()) options.Meters.append({"00012345", 1});
    options.Tcp = tcpGiven || (options.PtyPath.isEmpty() && options.BenchTitle.isEmpty());
    return options;
}
