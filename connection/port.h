#pragma once
#include <cstdint>

// A byte transport between the link engine and a meter.
class TPort {
public:
    virtual ~TPort() = default;
    // Opens the link; a non-zero result is the idle time in seconds after
    // which the window drops the line (modem only).
    virtual int Open() = 0;
    virtual uint8_t PortNumber() const { return 0; }
    virtual void Close() {}
    // Bytes accepted; 0 on a closed port or a transmit failure.
    virtual int Send(const uint8_t* data, int count) = 0;
    // Bytes received within the time-out (0 = the transport's own).
    virtual int Receive(uint8_t* buffer, int max, int timeoutMs) = 0;
    virtual void Purge() {}
    virtual int MaxReplySize() const { return 128; }
    virtual uint8_t TypeId() const = 0;
    // Same kind and same settings; called only after the TypeIds matched.
    virtual bool SameAs(const TPort& other) const = 0;
};

// Transport kinds; they equal the connection-type numbers of connection strings.
enum TPortType : uint8_t {
    ptUnknown = 0, ptCom = 1, ptOpto = 2, ptRS232 = 3, ptRS485 = 4, ptMBUS = 5,
    ptModem = 6, ptPLCModem = 7, ptCL = 8, ptXPort = 9,
};

// Placeholder of a connection that has not been made: it refuses to open.
class TUnknownPort : public TPort {
public:
    int Open() override;
    int Send(const uint8_t*, int) override { return 0; }
    int Receive(uint8_t*, int, int) override { return 0; }
    uint8_t TypeId() const override { return ptUnknown; }
    bool SameAs(const TPort&) const override { return true; }
};
