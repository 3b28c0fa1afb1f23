#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// zv301-sim started as a separate process for one test; stopped on destruction.
class TSimProcess {
public:
    // Starts the simulator with these switches plus a TCP listener on a free
    // port and, when withPty, a pty link; waits until every link listens.
    explicit TSimProcess(const QStringList& switches = {}, bool withPty = false);
    ~TSimProcess();

    bool Started() const { return TcpPort > 0; }
    QString Error() const { return Failure; }
    int TcpPort = 0;
    QString PtyPath;          // the symlink to the pty slave
    QString StatePath;        // the simulator's state file
    QString XPortConnection(const QString& linkSettings = QStringLiteral("[1]")) const;

private:
    QTemporaryDir Dir;
    QProcess Process;
    QString Failure;
};

// Runs vexa-cli with arguments; returns its exit code and output.
struct TCliResult {
    int ExitCode = -1;
    QString Out;
    QString Err;
};
TCliResult RunCli(const QStringList& arguments, const QString& vexaHome = QString(), int timeoutMs = 30000);
