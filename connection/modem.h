#pragma once
#include "connection/port.h"
#include "connection/serial_port.h"

#include <QString>

// Settings of a dial-up or GSM modem connection, in the order of its parameter text.
struct TModemPrm {
    QString Phone;          // "P" (pulse) or "T" (tone) + number
    uint8_t Port = 1;
    QString Init;           // initialisation command without "AT"
    uint8_t Wait = 30;      // s to wait for the connection; also register S7
    uint8_t Idle = 30;      // s of idleness before the window drops the line
    uint32_t Baud = 9600;
    bool Rlsd = true;       // line state from the carrier-detect line

    bool operator==(const TModemPrm& o) const;
};

extern const char* const kModemPrmError;  // "Ошибка задания параметров модема"

TModemPrm ParseModemPrm(const QString& params);
// The reverse: defaults become empty fields, trailing empties are dropped.
QString ModemPrmText(const TModemPrm& prm);

// A meter reached through a modem on a serial port: AT commands set the call
// up, then frames pass through unchanged. Open returns the idle time, so the
// call stays up between actions.
class TModem : public TPort {
public:
    enum TState : uint8_t { msNew = 0, msLineDown = 1, msOnline = 2 };

    explicit TModem(const QString& params);
    ~TModem() override;

    int Open() override;
    void Close() override;
    int Send(const uint8_t* data, int count) override;
    int Receive(uint8_t* buffer, int max, int timeoutMs) override;
    void Purge() override { Com.Purge(); }
    uint8_t TypeId() const override { return ptModem; }
    bool SameAs(const TPort& other) const override;

    // One AT command ("AT" + command + CR; none when empty) and the modem's answer.
    QString ModemCommand(const QString& command, int seconds);
    bool IsOnline();
    TState State() const { return LineState; }
    const TModemPrm& Prm() const { return Settings; }

private:
    void Dial();
    void HangUp();

    TModemPrm Settings;
    TRS232 Com;
    TState LineState = msNew;
};
