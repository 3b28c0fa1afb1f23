#pragma once
#include <QByteArray>
#include <cstdint>

// The display format of the meter's readings (parameter 34): the
// transformation ratios and, per quantity, the unit, the number of digits
// after the point and a multiplier. Measurement pages scale with it.
// On the wire KI and KU are unsigned integers; in memory they are floats.
struct DisplayFormat {
    static constexpr int kSize = 18;

    float KI = 1;
    float KU = 1;
    uint8_t EnergyUnit = 0;        // 0 Вт·ч, 1 кВт·ч, 2 МВт·ч
    uint8_t EnergyFormat = 0;      // digits after the point, 0..3
    uint8_t EnergyMultiplier = 0;
    uint8_t PowerUnit = 0;         // 0 Вт, 1 кВт, 2 МВт
    uint8_t PowerFormat = 0;
    uint8_t PowerMultiplier = 0;
    uint8_t VoltageUnit = 0;       // 0 В
    uint8_t VoltageFormat = 0;
    uint8_t CurrentUnit = 0;       // 0 A
    uint8_t CurrentFormat = 0;

    // bytes holds at least kSize bytes.
    static DisplayFormat Decode(const QByteArray& bytes);
    // KI and KU are truncated towards zero (and kept within 0..2^32-1).
    QByteArray Encode() const;
    bool operator==(const DisplayFormat& other) const;
    bool operator!=(const DisplayFormat& other) const { return !(*this == other); }
};

// The settings of the meter's main serial interface (parameter 23).
struct InterfaceSettings {
    static constexpr int kSize = 6;

    uint16_t BaudRate = 0;
    uint8_t InterfaceType = 0;     // 0 none, 1 M-Bus, 2 current loop, 3 RS-485
    uint8_t Reserved = 0;          // kept as read
    uint8_t Parity = 0;            // 0 none, 1 odd, 2 even
    uint8_t StopBits = 1;          // 1 or 2

    // bytes holds at least kSize bytes.
    static InterfaceSettings Decode(const QByteArray& bytes);
    QByteArray Encode() const;
    bool operator==(const InterfaceSettings& other) const { return Encode() == other.Encode(); }
    bool operator!=(const InterfaceSettings& other) const { return !(*this == other); }
};
