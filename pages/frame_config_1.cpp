#include "pages/frame_config_1.h"

#include "device/device.h"
#include "pages/meter_type_check.h"

namespace {
const char* const kNumberPatterns = "00000000\n0000000.0\n000000.00\n00000.000";
const char* const kEnergyUnits = "Вт·ч\nкВт·ч\nМВт·ч";
const char* const kPowerUnits = "Вт\nкВт\nМВт";
// These meters display energy and power in kilo-units only; the full lists
// still turn a stored code into its text.
const char* const kOfferedEnergyUnit = "кВт·ч";
const char* const kOfferedPowerUnit = "кВт";
}  // namespace

const TConfigRowDef TFrameConfig_1::ConfigRows[] = {
    {kRowMeterType, nullptr, nullptr, 1, kEditPlain},
    {kRowSerialNumber, nullptr, nullptr, 1, kEditPlain},
    {kRowManufactureDate, nullptr, nullptr, 1, kEditPlain},
    {kRowSoftVersion, nullptr, nullptr, 1, kEditPlain},
    {kRowUserId, "cccccccc;0; ", nullptr, 0, kEditPlain},
    {kRowPulseConstant, nullptr, nullptr, 1, kEditPlain},
    {kRowNetAddress, "999;0; ", nullptr, 0, kEditPlain},
    {kRowInterfaceType, nullptr, "----\nMBUS\nТоковая петля\nRS485", 1, kEditPlain},
    {kRowBaudRate, nullptr, "100\n300\n600\n1200\n2400\n4800\n9600\n19200\n38400", 1, kEditPickList},
    {kRowParity, nullptr, "без паритета\nнечетность\nчетность", 1, kEditPickList},
    {kRowStopBits, nullptr, "1\n2", 1, kEditPickList},
    {kRowEnergyFormat, nullptr, kNumberPatterns, 1, kEditPickList},
    {kRowEnergyUnit, nullptr, kEnergyUnits, 1, kEditPickList},
    {kRowPowerFormat, nullptr, kNumberPatterns, 1, kEditPickList},
    {kRowPowerUnit, nullptr, kPowerUnits, 1, kEditPickList},
    {kRowVoltageFormat, nullptr, kNumberPatterns, 1, kEditPickList},
    {kRowVoltageUnit, nullptr, "В", 1, kEditPickList},
    {kRowCurrentFormat, nullptr, kNumberPatterns, 1, kEditPickList},
    {kRowCurrentUnit, nullptr, "A", 1, kEditPickList},
    {nullptr, nullptr, nullptr, 0, 0},
};

TFrameConfig_1::TFrameConfig_1(QWidget* owner) : TFrameConfigBase(owner, ConfigRows) {}

void TFrameConfig_1::Read()
{
    CheckMeterType(TheDevice());  // a warning only: the rows are read anyway
    TFrameConfigBase::Read();
}

void TFrameConfig_1::Write()
{
    if (!CheckMeterType(TheDevice())) return;
    TFrameConfigBase::Write();
}

QStringList TFrameConfig_1::OfferedPickList(int row) const
{
    const QString caption = QString::fromUtf8(ConfigRows[row].Caption);
    if (caption == QString::fromUtf8(kRowEnergyUnit)) return {QString::fromUtf8(kOfferedEnergyUnit)};
    if (caption == QString::fromUtf8(kRowPowerUnit)) return {QString::fromUtf8(kOfferedPowerUnit)};
    return TFrameConfigBase::OfferedPickList(row);
}
