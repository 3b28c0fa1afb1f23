#include "sim/sim_links.h"

#include "common/error.h"
#include "sim/sim_line.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

TSimTcpLink::TSimTcpLink(TSimBus& bus, const TSimOptions& options, int& replyCount, QObject* parent)
    : QObject(parent), Bus(bus), Options(options), ReplyCount(replyCount), Server(new QTcpServer(this))
{
    connect(Server, &QTcpServer::newConnection, this, &TSimTcpLink::Accept);
}

QString TSimTcpLink::Listen(const QString& host, int port)
{
    const QHostAddress address = host == "localhost" ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
    if (!Server->listen(address, quint16(port)))
        throw TError(QString("cannot listen on tcp %1:%2: %3").arg(host).arg(port).arg(Server->errorString()));
    return QString("listening tcp %1:%2").arg(host).arg(Server->serverPort());
}

void TSimTcpLink::Accept()
{
    while (QTcpSocket* socket = Server->nextPendingConnection()) {
        // Pieces of a split reply must leave as separate segments.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto* line = new TSimLine(Bus, Options, ReplyCount, [socket](const QByteArray& bytes) { socket->write(bytes); },
                                  socket);
        connect(socket, &QTcpSocket::readyRead, line, [socket, line] { line->Receive(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

TSimPtyLink::TSimPtyLink(TSimBus& bus, const TSimOptions& options, int& replyCount, QObject* parent)
    : QObject(parent),
      Line(new TSimLine(bus, options, replyCount, [this](const QByteArray& bytes) { Write(bytes); }, this))
{
}

TSimPtyLink::~TSimPtyLink()
{
    // Remove the link only if it still points at our device.
    if (!LinkPath.isEmpty() && Slave >= 0 && QFileInfo(LinkPath).symLinkTarget() == QString::fromLocal8Bit(ttyname(Slave)))
        ::unlink(QFile::encodeName(LinkPath).constData());
    if (Master >= 0) ::close(Master);
    if (Slave >= 0) ::close(Slave);
}

QString TSimPtyLink::Open(const QString& linkPath)
{
    if (::openpty(&Master, &Slave, nullptr, nullptr, nullptr) != 0)
        throw TError(QString("cannot create a pty: %1").arg(std::strerror(errno)));
    // Raw from the start: no echo, no line editing, no CR/LF mapping. Keeping
    // the slave open spares the master the hang-ups between the utility's opens.
    termios settings{};
    ::tcgetattr(Slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(Slave, TCSANOW, &settings);
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
    ::fcntl(Master, F_SETFD, FD_CLOEXEC);
    ::fcntl(Slave, F_SETFD, FD_CLOEXEC);

    const QString device = QString::fromLocal8Bit(ttyname(Slave));
    const QByteArray path = QFile::encodeName(linkPath);
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) ::unlink(path.constData());
    else if (existing.exists()) throw TError(QString("--pty: %1 exists and is not a symlink").arg(linkPath));
    if (::symlink(QFile::encodeName(device).constData(), path.constData()) != 0)
        throw TError(QString("cannot create the symlink %1: %2").arg(linkPath, std::strerror(errno)));
    LinkPath = linkPath;

    Notifier = new QSocketNotifier(Master, QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TSimPtyLink::Read);
    return QString("listening pty %1 -> %2").arg(linkPath, device);
}

void TSimPtyLink::Read()
{
    char buffer[512];
    QByteArray bytes;
    ssize_t got;
    while ((got = ::read(Master, buffer, sizeof buffer)) > 0) bytes.append(buffer, int(got));
    if (!bytes.isEmpty()) Line->Receive(bytes);
}

void TSimPtyLink::Write(const QByteArray& bytes)
{
    // Nobody reading and the queue full: the bytes are lost, as on a real line.
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t put = ::write(Master, data, size_t(left));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        data += put;
        left -= put;
    }
}
