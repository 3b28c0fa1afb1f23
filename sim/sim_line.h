#pragma once
#include "sim/sim_modem.h"
#include "sim/sim_options.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class TSimBus;

// One byte stream to the bus (a TCP client or the pty): gathers requests,
// applies the line faults and the modem front end, and paces the output.
class TSimLine : public QObject {
    Q_OBJECT
public:
    using Writer = std::function<void(const QByteArray&)>;

    // replyCount is shared by all lines so that "every Nth reply" counts
    // across reconnections.
    TSimLine(TSimBus& bus, const TSimOptions& options, int& replyCount, Writer write, QObject* parent = nullptr);

    void Receive(const QByteArray& bytes);

private:
    void HandleRequest();
    QByteArray Faulty(QByteArray reply, bool inverted);
    void Queue(const QList<TSimPiece>& pieces);
    void Pump();

    TSimBus& Bus;
    const TSimFaults Faults;
    std::optional<TSimModem> Modem;
    int& ReplyCount;
    Writer Write;
    QByteArray Received;
    QTimer Silence;       // drops an unfinished frame or command line
    QList<TSimPiece> Pending;
    QTimer Pause;         // paces Pending
};
