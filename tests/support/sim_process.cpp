#include "support/sim_process.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QRegularExpression>

TSimProcess::TSimProcess(const QStringList& switches, bool withPty)
{
    StatePath = Dir.filePath(QStringLiteral("state.json"));
    QStringList args = switches;
    args << QStringLiteral("--tcp-port") << QStringLiteral("0") << QStringLiteral("--state") << StatePath;
    if (withPty) args << QStringLiteral("--pty") << Dir.filePath(QStringLiteral("meter-pty"));
    Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Process.start(QStringLiteral(ZV301_SIM_PATH), args);
    if (!Process.waitForStarted(5000)) {
        Failure = QStringLiteral("zv301-sim did not start");
        return;
    }
    QString output;
    QElapsedTimer clock;
    clock.start();
    const QRegularExpression tcp(QStringLiteral("^listening tcp [^:]+:(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpression pty(QStringLiteral("^listening pty (\\S+)"), QRegularExpression::MultilineOption);
    while (clock.elapsed() < 10000) {
        if (!Process.waitForReadyRead(100) && Process.state() != QProcess::Running) break;
        output += QString::fromUtf8(Process.readAllStandardOutput());
        const auto t = tcp.match(output);
        const auto p = pty.match(output);
        if (t.hasMatch() && (!withPty || p.hasMatch())) {
            if (withPty) PtyPath = p.captured(1);
            TcpPort = t.captured(1).toInt();
            return;
        }
    }
    Failure = QStringLiteral("zv301-sim did not report its links: ") + output;
}

TSimProcess::~TSimProcess()
{
    if (Process.state() == QProcess::NotRunning) return;
    Process.terminate();
    if (!Process.waitForFinished(3000)) {
        Process.kill();
        Process.waitForFinished(3000);
    }
}

QString TSimProcess::XPortConnection(const QString& linkSettings) const
{
    return QStringLiteral("Сим=XPort") + linkSettings + QStringLiteral("(127.0.0.1,%1,2000,0,3000,0,0)").arg(TcpPort);
}

TCliResult RunCli(const QStringList& arguments, const QString& vexaHome, int timeoutMs)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!vexaHome.isEmpty()) env.insert(QStringLiteral("VEXA_HOME"), vexaHome);
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(VEXA_CLI_PATH), arguments);
    TCliResult result;
    if (!cli.waitForStarted(5000)) return result;
    cli.closeWriteChannel();
    if (!cli.waitForFinished(timeoutMs)) {
        cli.kill();
        cli.waitForFinished();
        return result;
    }
    result.ExitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    result.Out = QString::fromUtf8(cli.readAllStandardOutput()).trimmed();
    result.Err = QString::fromUtf8(cli.readAllStandardError()).trimmed();
    return result;
}
