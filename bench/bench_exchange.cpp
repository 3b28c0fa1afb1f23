// Exchange throughput of the link engine against zv301-sim, next to the
// simulator's own round trip measured over the same links without the engine,
// and the CPU cost of waiting for a reply that never comes.
#include "common/error.h"
#include "connection/connection.h"
#include "connection/crc.h"
#include "common/my_ini_file.h"
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

const int kRounds = 300;

TLinkRequest ReadVersion()
{
    TLinkRequest r;
    const uint8_t body[] = {3, 20, 0, 0, 0};
    memcpy(r.Body, body, sizeof body);
    r.BodyLength = sizeof body;
    return r;
}

QByteArray VersionFrame(uint8_t address)
{
    QByteArray f;
    f.append(char(address)).append("\x03\x14\x00\x00\x00", 5);
    const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(f.constData()), size_t(f.size()));
    return f + char(crc >> 8) + char(crc & 0xFF);
}

bool ReplyComplete(const QByteArray& r)
{
    if (r.size() < 6) return false;
    const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(r.constData()), size_t(r.size() - 2));
    return uint8_t(r[r.size() - 2]) == (crc >> 8) && uint8_t(r[r.size() - 1]) == (crc & 0xFF);
}

double EngineMsPerExchange(const QString& connectionString)
{
    TConnection link;
    link.Connect(connectionString);
    TLinkRequest request = ReadVersion();
    link.Exchange(request);  // warm-up
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRounds; ++i) link.Exchange(request);
    const double ms = double(clock.nsecsElapsed()) / 1e6 / kRounds;
    link.Disconnect();
    return ms;
}

// The same request and reply over a bare socket: the simulator's own round trip.
double RawTcpMsPerExchange(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    socket.waitForConnected(3000);
    const QByteArray frame = VersionFrame(1);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRounds; ++i) {
        socket.write(frame);
        socket.waitForBytesWritten(1000);
        QByteArray reply;
        while (!ReplyComplete(reply) && socket.waitForReadyRead(2000)) reply += socket.readAll();
    }
    return double(clock.nsecsElapsed()) / 1e6 / kRounds;
}

double RawPtyMsPerExchange(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B115200);
    tcsetattr(fd, TCSANOW, &t);
    const QByteArray frame = VersionFrame(1);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kRounds; ++i) {
        if (::write(fd, frame.constData(), size_t(frame.size())) != frame.size()) break;
        QByteArray reply;
        while (!ReplyComplete(reply)) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) break;
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) reply.append(buf, int(n));
        }
    }
    ::close(fd);
    return double(clock.nsecsElapsed()) / 1e6 / kRounds;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("VEXA_HOME", home.path().toLocal8Bit());

    TSimProcess sim({}, true);
    if (!sim.Started()) {
        std::fprintf(stderr, "%s\n", qPrintable(sim.Error()));
        return 1;
    }
    const QString tcp = QStringLiteral("XPort[1](127.0.0.1,%1,2000,0,3000,0,0)").arg(sim.TcpPort);
    TMyIniFile(home.filePath(QStringLiteral("vexa.cfg"))).WriteString(QStringLiteral("ports"), QStringLiteral("COM7"), sim.PtyPath);
    const QString pty = QStringLiteral("RS232[1](7,115200)");

    std::printf("exchanges of %d requests (read parameter 20), ms per exchange\n", kRounds);
    const double engineTcp = EngineMsPerExchange(tcp);
    const double rawTcp = RawTcpMsPerExchange(sim.TcpPort);
    std::printf("TCP loopback, send delay 0:  engine %.3f ms (%.0f/s)  simulator round trip %.3f ms  added %.3f ms\n",
                engineTcp, 1000.0 / engineTcp, rawTcp, engineTcp - rawTcp);
    const double enginePty = EngineMsPerExchange(pty);
    const double rawPty = RawPtyMsPerExchange(sim.PtyPath);
    std::printf("pty at 115200 baud:          engine %.3f ms (%.0f/s)  simulator round trip %.3f ms  added %.3f ms\n",
                enginePty, 1000.0 / enginePty, rawPty, enginePty - rawPty);

    TSimProcess silent({QStringLiteral("--silent")});
    TConnection link;
    link.Connect(QStringLiteral("XPort[1](127.0.0.1,%1,2000,0,3000,0,0)").arg(silent.TcpPort));
    TLinkRequest request = ReadVersion();
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    try {
        link.Exchange(request);
    } catch (const TError&) {
    }
    const double cpu = CpuSeconds() - cpu0;
    const double seconds = double(wall.elapsed()) / 1000.0;
    std::printf("waiting %.2f s for a reply that never comes: CPU %.3f s = %.2f %% of one core\n",
                seconds, cpu, 100.0 * cpu / seconds);
    return 0;
}
