#pragma once
#include "sim/sim_options.h"

#include <QObject>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class TSimBus;
class TSimLine;

// A serial-to-Ethernet gateway in front of the bus: every client is a line.
class TSimTcpLink : public QObject {
    Q_OBJECT
public:
    TSimTcpLink(TSimBus& bus, const TSimOptions& options, int& replyCount, QObject* parent = nullptr);
    // Throws TError when the port cannot be bound; returns the "listening" line.
    QString Listen(const QString& host, int port);

private:
    void Accept();

    TSimBus& Bus;
    const TSimOptions& Options;
    int& ReplyCount;
    QTcpServer* Server;
};

// A pseudo-terminal whose slave the utility opens as a serial port.
class TSimPtyLink : public QObject {
    Q_OBJECT
public:
    TSimPtyLink(TSimBus& bus, const TSimOptions& options, int& replyCount, QObject* parent = nullptr);
    ~TSimPtyLink() override;
    // Throws TError when the pty or the link cannot be made; returns the "listening" line.
    QString Open(const QString& linkPath);

private:
    void Read();
    void Write(const QByteArray& bytes);

    TSimLine* Line;
    int Master = -1;
    int Slave = -1;
    QString LinkPath;
    QSocketNotifier* Notifier = nullptr;
};
