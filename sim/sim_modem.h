#pragma once
#include "sim/sim_options.h"

#include <QByteArray>
#include <QList>

// Bytes to send after a pause that follows the previous piece.
struct TSimPiece {
    int DelayMs = 0;
    QByteArray Bytes;
};

// A Hayes modem in front of the bus: AT commands until CONNECT, then frames.
class TSimModem {
public:
    explicit TSimModem(const TSimModemOptions& options) : Options(options) {}

    bool Online() const { return Connected; }
    // Command mode: consumes the complete command lines in received and
    // returns the modem's answers.
    QList<TSimPiece> Command(QByteArray& received);
    // On line: the escape sequence returns to command mode; the caller sends the returned answer.
    bool IsEscape(const QByteArray& received) const { return received == kEscape; }
    QByteArray Escape();
    // Counts a reply; true when the carrier is lost in the middle of it.
    bool LosesCarrierIn();
    QByteArray LoseCarrier();

    static QByteArray Result(const QString& word) { return "\r\n" + word.toLatin1() + "\r\n"; }

private:
    static constexpr const char* kEscape = "+++";

    QList<TSimPiece> CommandLine(const QByteArray& line);

    TSimModemOptions Options;
    bool Connected = false;
    bool Echo = false;
    int Replies = 0;
};
