#include "pages/config_exchange.h"

#include "common/text_codec.h"
#include "device/device.h"
#include "device/device_exception.h"
#include "device/field_codecs.h"
#include "device/parameters.h"
#include "pages/config_rows.h"

const char* const kBadDisplayFormat = "Неправильно задан формат отображения";

namespace {

constexpr int kUserIdSize = 8;
constexpr int kPulseConstantSize = 8;
constexpr int kMeterTypeSize = 16;
constexpr int kSerialNumberSize = 10;
constexpr int kSoftVersionSize = 4;
// Meters of the 5xx line take long to store a display format.
constexpr int kDisplayFormatTimeout5xx = 8000;

QString Row(const char* caption) { return QString::fromUtf8(caption); }

// A meter text field: its bytes up to the first zero.
QString FieldText(const QByteArray& bytes)
{
    const int end = bytes.indexOf('\0');
    return DecodeCp1251(end < 0 ? bytes : bytes.left(end));
}

const uint8_t* Bytes(const QByteArray& bytes) { return reinterpret_cast<const uint8_t*>(bytes.constData()); }

}  // namespace

// A reply shorter than its record would be read past its end.
QByteArray TConfigExchange::ReadRecord(uint8_t param, int size)
{
    const TReplyData data = Device.Read(param);
    if (data.Size < size) throw TDeviceException(meExchangeError);
    return QByteArray(data.Text(), size);
}

void TConfigExchange::Read()
{
    Rows.ClearValues();
    Rows.SetRowText(Row(kRowMeterType), FieldText(ReadRecord(kPrmMeterTypeText, kMeterTypeSize)));
    Rows.SetRowText(Row(kRowSerialNumber), FieldText(ReadRecord(kPrmSerialNumber, kSerialNumberSize)));
    const QByteArray made = ReadRecord(kPrmManufactureDate, kDateTimeSize);
    Rows.SetRowText(Row(kRowManufactureDate), DecodeDateTime(Bytes(made)).toString(QStringLiteral("dd-MM-yy")));
    Rows.SetRowText(Row(kRowSoftVersion), FieldText(ReadRecord(kPrmSoftVersion, kSoftVersionSize)));
    Rows.SetRowText(Row(kRowUserId), FieldText(ReadRecord(kPrmUserId, kUserIdSize)));
    const QByteArray pulse = ReadRecord(kPrmPulseConstant, 4);
    Rows.SetRowText(Row(kRowPulseConstant), QString::number(GetInt32(Bytes(pulse))));
    Rows.SetRowText(Row(kRowNetAddress), QString::number(uint8_t(ReadRecord(kPrmNetAddress, 1)[0])));

    const InterfaceSettings link = InterfaceSettings::Decode(ReadRecord(kPrmInterfaceSettings, InterfaceSettings::kSize));
    Rows.SetRowCode(Row(kRowInterfaceType), link.InterfaceType);
    Rows.SetRowText(Row(kRowBaudRate), QString::number(link.BaudRate));
    Rows.SetRowCode(Row(kRowParity), link.Parity);
    Rows.SetRowCode(Row(kRowStopBits), link.StopBits - 1);

    const DisplayFormat f = DisplayFormat::Decode(ReadRecord(kPrmDisplayFormat, DisplayFormat::kSize));
    Rows.SetRowCode(Row(kRowEnergyFormat), f.EnergyFormat);
    Rows.SetRowCode(Row(kRowEnergyUnit), f.EnergyUnit);
    Rows.SetRowCode(Row(kRowPowerFormat), f.PowerFormat);
    Rows.SetRowCode(Row(kRowPowerUnit), f.PowerUnit);
    Rows.SetRowCode(Row(kRowVoltageFormat), f.VoltageFormat);
    Rows.SetRowCode(Row(kRowVoltageUnit), f.VoltageUnit);
    Rows.SetRowCode(Row(kRowCurrentFormat), f.CurrentFormat);
    Rows.SetRowCode(Row(kRowCurrentUnit), f.CurrentUnit);
}

void TConfigExchange::EnsureSession(int level)
{
    if (OpenedLevels.contains(level)) return;
    if (level == kMainSession) {
        Device.OpenSession(kSessionMain);
        OpenedLevels = {kMainSession, kAnySession};
    } else {
        Device.OpenSession(kSessionAny);
        OpenedLevels = {kAnySession};
    }
}

void TConfigExchange::Write(const std::function<void(const DisplayFormat&)>& rejectDisplayFormat)
{
    OpenedLevels.clear();
    WriteUserId();
    WritePulseConstant();
    WriteDisplayFormat(rejectDisplayFormat);
    WriteInterfaceSettings();
    WriteNetAddress();
    Device.CloseSession();
}

void TConfigExchange::WriteUserId()
{
    const QByteArray meter = ReadRecord(kPrmUserId, kUserIdSize);
    const QByteArray id = EncodeCp1251(PadRight(Rows.GetRowText(Row(kRowUserId)), kUserIdSize));
    if (id == meter) return;
    EnsureSession(kMainSession);
    Device.Write(kPrmUserId, id.constData(), kUserIdSize);
}

void TConfigExchange::WritePulseConstant()
{
    QByteArray record = ReadRecord(kPrmPulseConstant, kPulseConstantSize);
    const int value = Rows.GetRowInt(Row(kRowPulseConstant), 0);
    if (value == GetInt32(Bytes(record))) return;
    EnsureSession(kMainSession);
    PutUInt32(reinterpret_cast<uint8_t*>(record.data()), uint32_t(value));
    Device.Write(kPrmPulseConstant, record.constData(), kPulseConstantSize);
}

void TConfigExchange::WriteDisplayFormat(const std::function<void(const DisplayFormat&)>& rejectDisplayFormat)
{
    const DisplayFormat meter = DisplayFormat::Decode(ReadRecord(kPrmDisplayFormat, DisplayFormat::kSize));
    // The list shows neither the ratios nor the multipliers: the page's
    // record always carries ratio 1 and no multiplier.
    DisplayFormat f;
    f.KI = 1;
    f.KU = 1;
    f.EnergyUnit = uint8_t(Rows.GetRowCode(Row(kRowEnergyUnit)));
    f.EnergyFormat = uint8_t(Rows.GetRowCode(Row(kRowEnergyFormat)));
    f.EnergyMultiplier = 0;
    f.PowerUnit = uint8_t(Rows.GetRowCode(Row(kRowPowerUnit)));
    f.PowerFormat = uint8_t(Rows.GetRowCode(Row(kRowPowerFormat)));
    f.PowerMultiplier = 0;
    f.VoltageUnit = uint8_t(Rows.GetRowCode(Row(kRowVoltageUnit)));
    f.VoltageFormat = uint8_t(Rows.GetRowCode(Row(kRowVoltageFormat)));
    f.CurrentUnit = uint8_t(Rows.GetRowCode(Row(kRowCurrentUnit)));
    f.CurrentFormat = uint8_t(Rows.GetRowCode(Row(kRowCurrentFormat)));
    if (f == meter) return;
    EnsureSession(kMainSession);
    const int version = Device.GetSoftVersion();
    const int timeout = version >= 500 && version <= 599 ? kDisplayFormatTimeout5xx : 0;
    const QByteArray bytes = f.Encode();
    try {
        Device.Write(kPrmDisplayFormat, bytes.constData(), DisplayFormat::kSize, timeout);
    } catch (const TDeviceException& e) {
        if (e.Code != meParameterNotAvailable) throw;
        rejectDisplayFormat(f);
    }
}

// A value that does not fit its field would be cut to another, valid-looking
// setting (a network address of 300 would move the meter to 44).
int TConfigExchange::GetRowIntIn(const char* caption, int low, int high) const
{
    const int value = Rows.GetRowInt(Row(caption), 0);
    if (value < low || value > high) throw TError(RowErrorMessage(Row(caption)));
    return value;
}

void TConfigExchange::WriteInterfaceSettings()
{
    const InterfaceSettings meter = InterfaceSettings::Decode(ReadRecord(kPrmInterfaceSettings, InterfaceSettings::kSize));
    InterfaceSettings s = meter;
    s.BaudRate = uint16_t(GetRowIntIn(kRowBaudRate, 0, 0xFFFF));
    s.Parity = uint8_t(Rows.GetRowCode(Row(kRowParity)));
    s.StopBits = uint8_t(Rows.GetRowCode(Row(kRowStopBits)) + 1);
    if (s == meter) return;
    EnsureSession(kAnySession);
    const QByteArray bytes = s.Encode();
    Device.Write(kPrmInterfaceSettings, bytes.constData(), InterfaceSettings::kSize);
}

void TConfigExchange::WriteNetAddress()
{
    const uint8_t meter = uint8_t(ReadRecord(kPrmNetAddress, 1)[0]);
    const uint8_t address = uint8_t(GetRowIntIn(kRowNetAddress, 0, 255));
    if (address == meter) return;
    EnsureSession(kAnySession);
    Device.Write(kPrmNetAddress, &address, 1);
    Device.FollowNetAddress(address);  // the session is closed at the new address
}
