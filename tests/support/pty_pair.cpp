#include "support/pty_pair.h"

#include <QElapsedTimer>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

void MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return;
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace

TPtyPair::TPtyPair()
{
    char name[256] = {};
    if (openpty(&Master, &Slave, name, nullptr, nullptr) != 0) {
        Master = Slave = -1;
        return;
    }
    MakeRaw(Master);
    MakeRaw(Slave);
    fcntl(Master, F_SETFL, fcntl(Master, F_GETFL) | O_NONBLOCK);
    Path = QString::fromLocal8Bit(name);
}

TPtyPair::~TPtyPair()
{
    if (Master >= 0) ::close(Master);
    if (Slave >= 0) ::close(Slave);
}

QByteArray TPtyPair::Read(int timeoutMs, int max)
{
    QByteArray result;
    if (Master < 0) return result;
    pollfd p{Master, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return result;
    char chunk[4096];
    while (result.size() < max) {
        const ssize_t n = ::read(Master, chunk, size_t(qMin<qsizetype>(sizeof chunk, max - result.size())));
        if (n <= 0) break;
        result.append(chunk, int(n));
    }
    return result;
}

QByteArray TPtyPair::ReadExactly(int count, int timeoutMs)
{
    QByteArray result;
    QElapsedTimer clock;
    clock.start();
    while (result.size() < count) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) break;
        result += Read(int(left), count - result.size());
    }
    return result;
}

bool TPtyPair::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{Master, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0) return false;
        } else {
            return false;
        }
    }
    return true;
}
