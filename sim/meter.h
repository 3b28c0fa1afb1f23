#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>

// Reply of a simulated meter to one request body.
struct SimReply {
    uint8_t Status = 0;   // 0 success, else the meter's error code
    QByteArray Data;      // reply data after the status byte
};

// One simulated ZV-301 meter: its identity, its parameters, its password
// session and its persistent state.
class SimMeter {
public:
    SimMeter();
    // Body = [cmd][param][rest...] as it came in the request frame.
    SimReply Handle(const QByteArray& body);

    QString SerialNumber() const;     // the 8 characters used for addressing
    void SetSerialNumber(const QString& serial8);
    uint8_t NetAddress() const;       // parameter 21
    void SetNetAddress(uint8_t address);

    // Identity used to reach version-dependent paths of the utility.
    void SetMeterTypeCode(uint16_t code);   // parameter 0 value (257, 258, 259, ...)
    void SetSoftVersion(const QString& text);  // parameter 20, e.g. "3.02"

    // Fault switch: answer every read or write of this parameter with this status.
    void SetForcedStatus(int param, uint8_t status);

    QJsonObject ToJson() const;
    void FromJson(const QJsonObject& json);
};
