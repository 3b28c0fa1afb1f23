#include "pages/display_format.h"

#include "device/field_codecs.h"

#include <cmath>

namespace {

const uint8_t* Bytes(const QByteArray& bytes) { return reinterpret_cast<const uint8_t*>(bytes.constData()); }

uint32_t TruncateRatio(float value)
{
    // Above 2^32-1 (and NaN) the conversion would be undefined.
    if (!(value > 0)) return 0;
    if (value >= 4294967296.0f) return 0xFFFFFFFFu;
    return uint32_t(std::trunc(value));
}

}  // namespace

DisplayFormat DisplayFormat::Decode(const QByteArray& bytes)
{
    const uint8_t* b = Bytes(bytes);
    DisplayFormat f;
    f.KI = float(GetUInt32(b));
    f.KU = float(GetUInt32(b + 4));
    f.EnergyUnit = b[8];
    f.EnergyFormat = b[9];
    f.EnergyMultiplier = b[10];
    f.PowerUnit = b[11];
    f.PowerFormat = b[12];
    f.PowerMultiplier = b[13];
    f.VoltageUnit = b[14];
    f.VoltageFormat = b[15];
    f.CurrentUnit = b[16];
    f.CurrentFormat = b[17];
    return f;
}

QByteArray DisplayFormat::Encode() const
{
    QByteArray bytes(kSize, 0);
    auto* b = reinterpret_cast<uint8_t*>(bytes.data());
    PutUInt32(b, TruncateRatio(KI));
    PutUInt32(b + 4, TruncateRatio(KU));
    const uint8_t tail[] = {EnergyUnit, EnergyFormat, EnergyMultiplier, PowerUnit,   PowerFormat,
                            PowerMultiplier, VoltageUnit, VoltageFormat, CurrentUnit, CurrentFormat};
    for (int i = 0; i < 10; ++i) b[8 + i] = tail[i];
    return bytes;
}

bool DisplayFormat::operator==(const DisplayFormat& o) const
{
    return KI == o.KI && KU == o.KU && EnergyUnit == o.EnergyUnit && EnergyFormat == o.EnergyFormat
           && EnergyMultiplier == o.EnergyMultiplier && PowerUnit == o.PowerUnit && PowerFormat == o.PowerFormat
           && PowerMultiplier == o.PowerMultiplier && VoltageUnit == o.VoltageUnit
           && VoltageFormat == o.VoltageFormat && CurrentUnit == o.CurrentUnit && CurrentFormat == o.CurrentFormat;
}

InterfaceSettings InterfaceSettings::Decode(const QByteArray& bytes)
{
    const uint8_t* b = Bytes(bytes);
    InterfaceSettings s;
    s.BaudRate = GetUInt16(b);
    s.InterfaceType = b[2];
    s.Reserved = b[3];
    s.Parity = b[4];
    s.StopBits = b[5];
    return s;
}

QByteArray InterfaceSettings::Encode() const
{
    QByteArray bytes(kSize, 0);
    auto* b = reinterpret_cast<uint8_t*>(bytes.data());
    PutUInt16(b, BaudRate);
    b[2] = InterfaceType;
    b[3] = Reserved;
    b[4] = Parity;
    b[5] = StopBits;
    return bytes;
}
