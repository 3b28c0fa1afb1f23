// vexa-cli: one meter command from the shell, for scripts and for checking a
// link without the window.
#include "cli/interrupt_wait.h"
#include "common/error.h"
#include "common/prompter.h"
#include "common/wait_hook.h"
#include "device/device.h"
#include "device/device_exception.h"
#include "device/wait.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <functional>

namespace {

const int kExitOk = 0;
const int kExitMeterError = 2;
const int kExitFailure = 3;  // link and other errors, bad usage

const char* const kUsage =
    "Usage: vexa-cli -c \"<connection string>\" [options] <operation> [arguments]\n"
    "\n"
    "Operations:\n"
    "  read P [A1 A2 A3]        read parameter P (command 3)\n"
    "  read4 P [A1 A2 A3]       read parameter P of the second kind (command 4)\n"
    "  write P INDEX HEXBYTES   write parameter P inside a password session\n"
    "  service OP [ARG]         run service operation OP\n"
    "  type                     meter type (1..7, 100 unknown)\n"
    "  version                  software version number\n"
    "  checkbyte                check byte of the serial number\n"
    "  clear-archives           clear every archive inside a password session\n"
    "  password NEW             change the main password\n"
    "\n"
    "Options:\n"
    "  -c, --connection TEXT    connection string\n"
    "  --password P             password for a session (otherwise asked on the terminal)\n"
    "  --stats                  print the exchange statistics after the result\n"
    "  --trace                  print every request and reply frame on stderr\n"
    "  -h, --help               this text\n"
    "\n"
    "Numbers are decimal or 0x-prefixed hexadecimal. The result goes to stdout:\n"
    "the reply data as hex bytes, or a number, or an empty line. Ctrl+C cancels\n"
    "the exchange.\n"
    "Exit status: 0 success, 2 the meter refused (message on stderr),\n"
    "3 link or other error, and bad usage.\n";

struct TUsageError {};

struct TOptions {
    QString Connection;
    QString Password;
    bool HasPassword = false;
    bool Stats = false;
    bool Trace = false;
    bool Help = false;
    QStringList Operation;  // the operation and its arguments
};

void PrintErr(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void PrintOut(const QString& text)
{
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
}

QString Hex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ').toUpper()); }

TOptions ParseOptions(const QStringList& args)
{
    TOptions options;
    bool haveConnection = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) throw TUsageError();
            return args[++i];
        };
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.Help = true;
        } else if (arg == QLatin1String("-c") || arg == QLatin1String("--connection")) {
            options.Connection = value();
            haveConnection = true;
        } else if (arg.startsWith(QLatin1String("--connection="))) {
            options.Connection = arg.mid(13);
            haveConnection = true;
        } else if (arg == QLatin1String("--password")) {
            options.Password = value();
            options.HasPassword = true;
        } else if (arg.startsWith(QLatin1String("--password="))) {
            options.Password = arg.mid(11);
            options.HasPassword = true;
        } else if (arg == QLatin1String("--stats")) {
            options.Stats = true;
        } else if (arg == QLatin1String("--trace")) {
            options.Trace = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            throw TUsageError();
        } else {
            options.Operation.append(arg);
        }
    }
    if (!options.Help && (!haveConnection || options.Operation.isEmpty())) throw TUsageError();
    return options;
}

uint8_t ParseByte(const QString& text)
{
    bool ok = false;
    const uint value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toUInt(&ok, 16)
                                                                                  : text.toUInt(&ok, 10);
    if (!ok || value > 255) throw TUsageError();
    return uint8_t(value);
}

// "0A0B0C", "0A 0B 0C" or "0a:0b:0c".
QByteArray ParseHexBytes(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char(' ')).remove(QLatin1Char(':'));
    if (digits.size() % 2 != 0) throw TUsageError();
    QByteArray bytes;
    for (int i = 0; i < digits.size(); i += 2) {
        bool ok = false;
        const uint value = digits.mid(i, 2).toUInt(&ok, 16);
        if (!ok) throw TUsageError();
        bytes.append(char(value));
    }
    return bytes;
}

// The operation's arguments after its name, between min and max of them.
QStringList Arguments(const QStringList& operation, int min, int max)
{
    const QStringList args = operation.mid(1);
    if (args.size() < min || args.size() > max) throw TUsageError();
    return args;
}

// Checks the arguments, then returns the operation: it runs against the
// connected meter and returns the line to print.
std::function<QString(TDevice&)> BuildOperation(const QStringList& operation)
{
    const QString name = operation.first();
    if (name == QLatin1String("read") || name == QLatin1String("read4")) {
        const QStringList args = Arguments(operation, 1, 4);
        uint8_t b[4] = {};
        for (int i = 0; i < args.size(); ++i) b[i] = ParseByte(args[i]);
        const bool second = name == QLatin1String("read4");
        return [=](TDevice& device) {
            return Hex((second ? device.Read4Ex(b[0], b[1], b[2], b[3]) : device.ReadEx(b[0], b[1], b[2], b[3]))
                           .ToByteArray());
        };
    }
    if (name == QLatin1String("write")) {
        const QStringList args = Arguments(operation, 3, 3);
        const uint8_t param = ParseByte(args[0]);
        const uint8_t index = ParseByte(args[1]);
        const QByteArray data = ParseHexBytes(args[2]);
        return [=](TDevice& device) {
            device.OpenSession(kSessionAny);
            const QString reply = Hex(device.WriteEx(param, index, data.constData(), int(data.size())).ToByteArray());
            device.CloseSession();
            return reply;
        };
    }
    if (name == QLatin1String("service")) {
        const QStringList args = Arguments(operation, 1, 2);
        const uint8_t op = ParseByte(args[0]);
        const uint8_t arg = args.size() > 1 ? ParseByte(args[1]) : 0;
        return [=](TDevice& device) {
            device.Service(op, QString(), 0, arg);
            return QString();
        };
    }
    if (name == QLatin1String("type")) {
        Arguments(operation, 0, 0);
        return [](TDevice& device) { return QString::number(device.GetMeterType()); };
    }
    if (name == QLatin1String("version")) {
        Arguments(operation, 0, 0);
        return [](TDevice& device) { return QString::number(device.GetSoftVersion()); };
    }
    if (name == QLatin1String("checkbyte")) {
        Arguments(operation, 0, 0);
        return [](TDevice& device) { return QString::number(device.ReadCheckByte()); };
    }
    if (name == QLatin1String("clear-archives")) {
        Arguments(operation, 0, 0);
        return [](TDevice& device) {
            device.OpenSession(kSessionAny);
            device.ClearArchives();
            device.CloseSession();
            return QString();
        };
    }
    if (name == QLatin1String("password")) {
        const QString password = Arguments(operation, 1, 1).first();
        // An empty text would open the change dialog, which a console has not.
        if (password.isEmpty()) throw TUsageError();
        return [=](TDevice& device) {
            device.ChangePassword(password);
            return QString();
        };
    }
    throw TUsageError();
}

void PrintStatistics(const TLinkStatistics& s)
{
    const struct {
        const char* name;
        uint32_t value;
    } counters[] = {
        {"Total", s.Total},         {"Good", s.Good},           {"TxErrors", s.TxErrors},
        {"RxErrors", s.RxErrors},   {"CrcErrors", s.CrcErrors}, {"Echoes", s.Echoes},
        {"BytesSent", s.BytesSent}, {"BytesReceived", s.BytesReceived},
    };
    for (const auto& c : counters) std::fprintf(stdout, "%s: %u\n", c.name, unsigned(c.value));
}

int Run(const TOptions& options)
{
    TConsolePrompter prompter;
    if (options.HasPassword) prompter.SetPassword(options.Password);
    else prompter.SetReadFromTerminal(true);
    SetPrompter(&prompter);

    const std::function<QString(TDevice&)> operation = BuildOperation(options.Operation);
    TDevice& device = TheDevice();
    if (options.Trace) {
        device.Connection().SetTrace([](bool outgoing, const QByteArray& frame) {
            std::fprintf(stderr, "%s %s\n", outgoing ? ">" : "<", Hex(frame).toLatin1().constData());
        });
    }
    TInterruptWait::Install();
    SetEventPump([] { QCoreApplication::processEvents(); });

    int status = kExitOk;
    {
        TWait wait;
        try {
            device.Connect(options.Connection);
            try {
                PrintOut(operation(device));
            } catch (...) {
                device.Disconnect();
                throw;
            }
            device.Disconnect();
        } catch (const TDeviceException& e) {
            PrintErr(e.Message);
            status = kExitMeterError;
        } catch (const TError& e) {
            PrintErr(e.Message);
            status = kExitFailure;
        } catch (const std::exception& e) {
            PrintErr(QString::fromLocal8Bit(e.what()));
            status = kExitFailure;
        }
    }
    if (options.Stats) PrintStatistics(device.GetStatistics());
    SetPrompter(nullptr);
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    try {
        const TOptions options = ParseOptions(QCoreApplication::arguments());
        if (options.Help) {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        return Run(options);
    } catch (const TUsageError&) {
        std::fputs(kUsage, stderr);
        return kExitFailure;
    }
}
