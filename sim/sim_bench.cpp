#include "sim/sim_bench.h"

#include "common/error.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace {

// The bench's answer for a place number it does not know.
constexpr int kWrongPlace = -1;

}  // namespace

TSimBench::TSimBench(std::optional<int> answer, QObject* parent)
    : QObject(parent), Answer(answer), Server(new QLocalServer(this))
{
    connect(Server, &QLocalServer::newConnection, this, &TSimBench::Accept);
}

QString TSimBench::Listen(const QString& title)
{
    // A socket file left by a killed run would block the name.
    QLocalServer::removeServer(title);
    if (!Server->listen(title))
        throw TError(QString("cannot listen as bench '%1': %2").arg(title, Server->errorString()));
    return QString("listening bench %1").arg(title);
}

void TSimBench::Accept()
{
    while (QLocalSocket* socket = Server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            while (socket->canReadLine()) {
                bool ok = false;
                const int place = QString::fromLatin1(socket->readLine()).trimmed().toInt(&ok);
                const int answer = !ok ? kWrongPlace : Answer ? *Answer : place;
                socket->write(QByteArray::number(answer) + "\n");
            }
        });
    }
}
