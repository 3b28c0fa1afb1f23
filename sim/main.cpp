#include "common/error.h"
#include "sim/sim_bench.h"
#include "sim/sim_bus.h"
#include "sim/sim_links.h"
#include "sim/sim_options.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(SignalPipe[1], &byte, 1);
}

// The handler only wakes the event loop, which then quits and lets every
// link clean up (the pty symlink, the bench socket) in its destructor.
void QuitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

void Announce(const QString& line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

int Fail(const TError& error, int code)
{
    std::fprintf(stderr, "zv301-sim: %s\n", qPrintable(error.Message));
    return code;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TSimOptions options;
    try {
        options = ParseSimOptions(app.arguments().mid(1));
    } catch (const TError& error) {
        Fail(error, 2);
        std::fprintf(stderr, "Try 'zv301-sim --help'.\n");
        return 2;
    }
    if (options.Help) {
        std::fputs(kSimUsage, stdout);
        return 0;
    }

    QuitOnSignals(app);
    try {
        TSimBus bus(options);
        int replyCount = 0;
        std::unique_ptr<TSimTcpLink> tcp;
        std::unique_ptr<TSimPtyLink> pty;
        std::unique_ptr<TSimBench> bench;
        if (options.Tcp) {
            tcp = std::make_unique<TSimTcpLink>(bus, options, replyCount);
            Announce(tcp->Listen(options.TcpHost, options.TcpPort));
        }
        if (!options.PtyPath.isEmpty()) {
            pty = std::make_unique<TSimPtyLink>(bus, options, replyCount);
            Announce(pty->Open(options.PtyPath));
        }
        if (!options.BenchTitle.isEmpty()) {
            bench = std::make_unique<TSimBench>(options.BenchAnswerSet ? std::optional<int>(options.BenchAnswer)
                                                                       : std::nullopt);
            Announce(bench->Listen(options.BenchTitle));
        }
        return app.exec();
    } catch (const TError& error) {
        return Fail(error, 1);
    }
}
