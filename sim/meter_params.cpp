#include "sim/meter.h"

#include <algorithm>

#include "sim/meter_bytes.h"
#include "sim/meter_clock.h"

namespace {

constexpr quint32 kFullBattery = 281088;
constexpr uint16_t kCountWeight = 100;   // 0.1 Wh per count, the unit of TSimLoad

const uint16_t kBaudRates[] = {100, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400};

// Interface settings (23): baud u16, interface type, reserved, parity 0..2, stop bits 1..2.
QByteArray InterfaceRecord(uint16_t baud, uint8_t type)
{
    QByteArray b(6, 0);
    PutU16(b, 0, baud);
    b[2] = char(type);
    b[5] = 1;
    return b;
}

}  // namespace

QString SimMeter::Key(int param, int selector)
{
    return QStringLiteral("%1/%2").arg(param).arg(selector);
}

QByteArray SimMeter::StoredValue(int param, int selector) const
{
    return Stored.value(Key(param, selector));
}

void SimMeter::LoadFactoryDefaults()
{
    Stored.clear();
    // 19: date of manufacture, six-byte date-time.
    Stored[Key(19, 0)] = EncodeMeterTime(ToMeterSecs(QDateTime(QDate(2023, 3, 15), QTime(10, 20), Qt::UTC)));
    // 21: network address.
    Stored[Key(21, 0)] = QByteArray(1, 1);
    // 22: user ID, 8 characters.
    Stored[Key(22, 0)] = QByteArrayLiteral("00000000");
    // 23: main interface RS-485 (type 3); expansion interfaces 2 (RS-232) and 3 (RS-485).
    Stored[Key(23, 0)] = InterfaceRecord(9600, 3);
    Stored[Key(23, 2)] = InterfaceRecord(9600, 0);
    Stored[Key(23, 3)] = InterfaceRecord(9600, 1);
    // 24: pulse constant imp/kWh (i32), count weight (u16), 2 reserved bytes.
    QByteArray pulse(8, 0);
    PutU32(pulse, 0, 1000);
    PutU16(pulse, 4, kCountWeight);
    Stored[Key(24, 0)] = pulse;
    // 34: DisplayFormat: KI u32, KU u32, energy unit/format/multiplier,
    // power unit/format/multiplier, voltage unit/format, current unit/format.
    QByteArray format(18, 0);
    PutU32(format, 0, 1);
    PutU32(format, 4, 1);
    const char units[10] = {1, 2, 0, 1, 3, 0, 0, 1, 0, 2};
    for (int i = 0; i < 10; ++i) format[8 + i] = units[i];
    Stored[Key(34, 0)] = format;
    // 35: display settings: manual mask u32, tariffs and sensors, directions,
    // automatic mask u32, seconds per item, seconds before returning to automatic.
    QByteArray display(12, 0);
    PutU32(display, 0, 0x801B1685);
    display[4] = char(0xAF);   // T1..T4, cover and magnetic sensors on, backlight on
    display[5] = 0x01;         // E+
    PutU32(display, 6, 0x80000081);
    display[10] = 10;
    display[11] = 30;
    Stored[Key(35, 0)] = display;
    // 53: limits 1..4 as floats, billing by limits (byte 16 bit 0), reserved byte.
    Stored[Key(53, 0)] = QByteArray(18, 0);
    // 67: load switched on (byte 0), reserved byte.
    Stored[Key(67, 0)] = QByteArray("\x01\x00", 2);

    LedConfig = QByteArray("\x00\x01", 2);   // normal mode, P+
    BatteryLife = kFullBattery;
    ResetTime = ProductionTime();
    LoadFactoryModule();
}

SimReply SimMeter::ReadPlain(const TArgs& a) const
{
    return {0, StoredValue(a.Param)};
}

// 0: type code, u16.
SimReply SimMeter::ReadTypeCode(const TArgs&) const
{
    QByteArray b;
    AppendU16(b, TypeCode);
    return {0, b};
}

// 17: type text, 16 characters.
SimReply SimMeter::ReadTypeText(const TArgs&) const
{
    return {0, QStringLiteral("ZV-301-%1").arg(TypeCode).leftJustified(16, QLatin1Char(' '), true).toLatin1()};
}

// 18: the serial number in its ten-character form: the eight addressing
// characters after two leading zeros.
QByteArray SimMeter::SerialText() const
{
    return (QStringLiteral("00") + Serial).toLatin1();
}

SimReply SimMeter::ReadSerialText(const TArgs&) const
{
    return {0, SerialText()};
}

// 20: software version, 4 characters.
SimReply SimMeter::ReadSoftVersion(const TArgs&) const
{
    return {0, SoftVersion.leftJustified(4, QLatin1Char(' '), true).toLatin1()};
}

// The version as a number: the decimal digits among the first 4 characters.
int SimMeter::SoftVersionNumber() const
{
    int value = 0;
    for (QChar c : SoftVersion.left(4))
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) value = value * 10 + (c.unicode() - '0');
    return value;
}

bool SimMeter::HasLimits() const
{
    return SoftVersionNumber() >= 115;
}

bool SimMeter::HasLoadControl() const
{
    return TypeCode == 258 && SoftVersionNumber() >= 120;
}

bool SimMeter::HasProfile() const
{
    return TypeCode != 259;
}

// 23 selector: 0 the main interface; 2 and 3 the interfaces of a fitted
// two-interface expansion module.
SimReply SimMeter::ReadInterface(const TArgs& a) const
{
    if (a.A1 != 0 && !(ModuleKind == 1 && (a.A1 == 2 || a.A1 == 3))) return {3, {}};
    return {0, StoredValue(23, a.A1)};
}

// The interface type and the reserved byte belong to the hardware: the
// meter keeps its own whatever is written there.
uint8_t SimMeter::WriteInterface(const TArgs& a)
{
    if (a.Index != 0 && !(ModuleKind == 1 && (a.Index == 2 || a.Index == 3))) return 3;
    if (a.Data.size() != 6) return 3;
    const uint16_t baud = GetU16(a.Data, 0);
    if (std::find(std::begin(kBaudRates), std::end(kBaudRates), baud) == std::end(kBaudRates)) return 3;
    if (uint8_t(a.Data[4]) > 2 || uint8_t(a.Data[5]) < 1 || uint8_t(a.Data[5]) > 2) return 3;
    QByteArray record = StoredValue(23, a.Index);
    PutU16(record, 0, baud);
    record[4] = a.Data[4];
    record[5] = a.Data[5];
    Stored[Key(23, a.Index)] = record;
    return 0;
}

uint8_t SimMeter::WriteNetAddress(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 1) return 3;
    Stored[Key(21, 0)] = a.Data;
    return 0;
}

uint8_t SimMeter::WriteUserId(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 8) return 3;
    Stored[Key(22, 0)] = a.Data;
    return 0;
}

// The count weight (bytes 4-5) is fixed by the meter's hardware.
uint8_t SimMeter::WritePulseConstant(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 8) return 3;
    if (int32_t(GetU32(a.Data, 0)) <= 0 || a.Data.mid(4) != StoredValue(24).mid(4)) return 3;
    Stored[Key(24, 0)] = a.Data;
    return 0;
}

// The display shows kilo-units only; a record it cannot show is refused with
// status 2, the answer the utility turns into its display-format message.
uint8_t SimMeter::WriteDisplayFormat(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 18) return 3;
    const QByteArray& f = a.Data;
    const auto at = [&](int i) { return uint8_t(f[i]); };
    const bool valid = GetU32(f, 0) >= 1 && GetU32(f, 4) >= 1 && at(8) == 1 && at(9) <= 3 && at(11) == 1
                       && at(12) <= 3 && at(14) == 0 && at(15) <= 3 && at(16) == 0 && at(17) <= 3;
    if (!valid) return 2;
    Stored[Key(34, 0)] = f;
    return 0;
}

uint8_t SimMeter::WriteDisplaySettings(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 12) return 3;
    if (uint8_t(a.Data[10]) < 1 || uint8_t(a.Data[11]) < 5) return 3;
    Stored[Key(35, 0)] = a.Data;
    return 0;
}

uint8_t SimMeter::WriteLimits(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 18 || uint8_t(a.Data[16]) > 1) return 3;
    Stored[Key(53, 0)] = a.Data;
    return 0;
}

// Only byte 0 (load on or off) means anything to the meter.
uint8_t SimMeter::WriteLoad(const TArgs& a)
{
    if (a.Index != 0 || a.Data.size() != 2) return 3;
    const bool on = a.Data[0] != 0;
    if (on != (ByteAt(StoredValue(67), 0) != 0)) AddEvent(16, on ? 0x0001 : 0x0002, 0);
    Stored[Key(67, 0)] = QByteArray(1, char(on ? 1 : 0)) + QByteArray(1, 0);
    return 0;
}

// 33: quadrant 0..3, active tariff bits, season (0 autumn-winter, 1
// spring-summer), battery level 0..4.
SimReply SimMeter::ReadMeterState(const TArgs&) const
{
    const std::array<float, 6> v = InstantValues();
    const int quadrant = v[0] >= 0 ? (v[1] >= 0 ? 0 : 3) : (v[1] >= 0 ? 1 : 2);
    QByteArray b(4, 0);
    b[0] = char(quadrant);
    b[1] = char(1 << TSimLoad::SlotTariff(Now() / TSimLoad::kSlotSecs));
    b[2] = char(IsSummer() ? 1 : 0);
    b[3] = char(qMin<quint64>(4, (quint64(BatteryLife) * 4 + kFullBattery / 2) / kFullBattery));
    return {0, b};
}

// 41: mode word u16 (0x0200 15-minute averaging, 0x0800 single-value
// profile), reserved byte, profile kind (1 single value).
SimReply SimMeter::ReadProfileMode(const TArgs&) const
{
    QByteArray b;
    AppendU16(b, uint16_t((Profile15 ? 0x0200 : 0) | (SingleValue ? 0x0800 : 0)));
    b.append(char(0));
    b.append(char(SingleValue ? 1 : 0));
    return {0, b};
}
