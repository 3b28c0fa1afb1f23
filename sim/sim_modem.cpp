#include "sim/sim_modem.h"

#include <QRegularExpression>

namespace {

// The utility reads the echo and the result word separately; the pause must
// outlast its inter-byte time-out.
constexpr int kResultAfterEchoMs = 100;

}  // namespace

QList<TSimPiece> TSimModem::Command(QByteArray& received)
{
    QList<TSimPiece> answer;
    int end;
    while ((end = int(received.indexOf('\r'))) >= 0) {
        const QByteArray line = received.left(end).trimmed();
        received.remove(0, end + 1);
        answer += CommandLine(line);
    }
    return answer;
}

QList<TSimPiece> TSimModem::CommandLine(const QByteArray& line)
{
    const int at = int(line.toUpper().indexOf("AT"));
    if (at < 0) return {};
    const QByteArray command = line.mid(at + 2).toUpper();
    QList<TSimPiece> answer;
    if (Echo) answer.append({0, line.mid(at) + "\r"});
    const int delay = Echo ? kResultAfterEchoMs : 0;

    if (command.startsWith('D')) {
        Connected = Options.DialAnswer.startsWith("CONNECT");
        answer.append({delay, Result(Options.DialAnswer)});
        return answer;
    }
    if (command.startsWith('H')) Connected = false;
    // E0/E1 switch the echo; "&E" settings of some modems are something else.
    static const QRegularExpression echoSetting("(?<!&)E([01])");
    QRegularExpressionMatchIterator it = echoSetting.globalMatch(QString::fromLatin1(command));
    while (it.hasNext()) Echo = it.next().captured(1) == "1";
    answer.append({delay, Result("OK")});
    return answer;
}

QByteArray TSimModem::Escape()
{
    Connected = false;
    return Result("OK");
}

bool TSimModem::LosesCarrierIn()
{
    return Options.DropAfter > 0 && ++Replies == Options.DropAfter;
}

QByteArray TSimModem::LoseCarrier()
{
    Connected = false;
    return Result("NO CARRIER");
}
