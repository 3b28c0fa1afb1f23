#pragma once
#include "connection/port.h"

#include <QSerialPort>
#include <QString>
#include <cstdint>
#include <optional>

// Line settings of a serial transport, in the order of its parameter text.
struct TComPrm {
    uint8_t PortNo = 1;
    uint32_t BaudRate = 9600;
    uint8_t Parity = 0;       // 0 "no", 1 "odd", 2 "even"
    uint8_t LineMode = 0;     // 0 "no", 1 "supply", 2 "hard", 3 "togle"
    uint8_t StopBits = 1;
    uint32_t ReadTimeout = 0; // ms; 0 = 2000
    uint32_t InterByte = 0;   // ms; 0 = from the baud rate
    uint8_t Echo = 0;         // 1 = the line returns every byte sent

    bool operator==(const TComPrm& o) const;
    bool operator!=(const TComPrm& o) const { return !(*this == o); }
};

extern const char* const kComPrmError;  // "Ошибка задания параметров последовательного порта"

// The variant's defaults; kind is one of ptCom, ptRS232, ptOpto, ptRS485,
// ptMBUS, ptCL, ptPLCModem. ptCom stands for both base classes: echoBase
// picks the echo line base (TComWithEcho).
TComPrm DefaultComPrm(TPortType kind, bool echoBase = false);
// Parses the parameter text over the defaults and runs the checks.
TComPrm ParseComPrm(TPortType kind, const QString& params, bool echoBase = false);
// The reverse: defaults become empty fields, trailing empties are dropped.
QString ComPrmText(TPortType kind, const TComPrm& prm, bool echoBase = false);

// Receive and send time-outs of a port, all in ms.
struct TComTimeouts {
    qint64 Gap = 0;
    qint64 InterByte = 0;   // silence that ends a reply
    qint64 Multiplier = 0;  // per byte requested
    qint64 Constant = 0;
    // A write gets 1 ms per byte on top of the constant, whatever the speed.
    qint64 SendTotal(int count) const { return count + Constant; }
};
// rxFifo is the configured receive FIFO depth; 1 or less counts as 4.
TComTimeouts ComputeComTimeouts(const TComPrm& prm, int rxFifo);
// The depth configured in the settings file ("common", rx_fifo), read once per run.
int ConfiguredRxFifo();

// A serial port of the operating system, the base of every serial variant.
class TCom : public TPort {
public:
    explicit TCom(const QString& params);
    ~TCom() override;

    int Open() override;
    uint8_t PortNumber() const override;
    void Close() override;
    int Send(const uint8_t* data, int count) override;
    int Receive(uint8_t* buffer, int max, int timeoutMs) override;
    void Purge() override;
    int MaxReplySize() const override;
    uint8_t TypeId() const override;
    bool SameAs(const TPort& other) const override;

    const TComPrm& Prm() const { return Settings; }
    bool IsOpen() const { return Serial.isOpen(); }
    // The carrier-detect line; empty when the port is closed or the driver
    // cannot report it.
    std::optional<bool> CarrierDetect();

protected:
    TCom(TPortType kind, const QString& params, bool echoBase = false);

private:
    void ApplyLineSettings();
    void WaitForInput();
    void DrainTransmitter();

    TPortType Kind;
    TComPrm Settings;
    TComTimeouts Timeouts;
    QSerialPort Serial;
    bool KernelRs485 = false;       // the driver switches RTS around transmissions
    bool Rs485EnabledByUs = false;  // switched off again on close
};

class TRS232 : public TCom {
public:
    explicit TRS232(const QString& params) : TCom(ptRS232, params) {}
};

class TOpto : public TCom {
public:
    explicit TOpto(const QString& params) : TCom(ptOpto, params) {}
};

class TRS485 : public TCom {
public:
    explicit TRS485(const QString& params) : TCom(ptRS485, params) {}
};

class TPLCModem : public TCom {
public:
    explicit TPLCModem(const QString& params) : TCom(ptPLCModem, params) {}
};

class TComWithEcho : public TCom {
public:
    explicit TComWithEcho(const QString& params) : TCom(ptCom, params, true) {}

protected:
    TComWithEcho(TPortType kind, const QString& params) : TCom(kind, params, true) {}
};

class TMBUS : public TComWithEcho {
public:
    explicit TMBUS(const QString& params) : TComWithEcho(ptMBUS, params) {}
};

class TCL : public TComWithEcho {
public:
    explicit TCL(const QString& params) : TComWithEcho(ptCL, params) {}
};
