#include "sim/meter.h"

#include "connection/crc.h"
#include "device/parameters.h"
#include "sim/meter_bytes.h"

namespace {

const QString kFactoryPassword = QStringLiteral("24681357");


// From this version on the battery command is authorised by its check byte
// alone; older meters want the main password as well.
constexpr int kBatteryWithoutSessionVersion = 302;

uint8_t At(const QByteArray& body, int i)
{
    return i < body.size() ? uint8_t(body[i]) : 0;
}

}  // namespace

SimMeter::SimMeter()
{
    Passwords[0] = Passwords[1] = kFactoryPassword;
    Load.SetSeed(qHash(Serial));
    LoadFactoryDefaults();
    LoadFactoryArchives();
}

// Every parameter the meter knows, with the command that reads it, the
// session a write needs and the correction-archive entry a write leaves.
const SimMeter::TParamDef* SimMeter::FindParam(uint8_t param)
{
    using M = SimMeter;
    using R = TRight;
    static const TParamDef kParams[] = {
        {0, 3, R::None, &M::ReadTypeCode, nullptr, nullptr, 0, 0},
        {1, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {2, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {3, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {4, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {5, 3, R::None, &M::ReadAveragePower, nullptr, nullptr, 0, 0},
        {6, 3, R::None, &M::ReadAveragePower, nullptr, nullptr, 0, 0},
        {7, 3, R::None, &M::ReadPowerMaximum, nullptr, nullptr, 0, 0},
        {14, 3, R::None, &M::ReadArchive, nullptr, nullptr, 0, 0},
        {15, 3, R::None, &M::ReadArchive, nullptr, nullptr, 0, 0},
        {16, 3, R::None, &M::ReadArchive, nullptr, nullptr, 0, 0},
        {17, 3, R::None, &M::ReadTypeText, nullptr, nullptr, 0, 0},
        {18, 3, R::None, &M::ReadSerialText, nullptr, nullptr, 0, 0},
        {19, 3, R::None, &M::ReadPlain, nullptr, nullptr, 0, 0},
        {20, 3, R::None, &M::ReadSoftVersion, nullptr, nullptr, 0, 0},
        {21, 3, R::Additional, &M::ReadPlain, &M::WriteNetAddress, nullptr, 0x0080, 0x08},
        {22, 3, R::Main, &M::ReadPlain, &M::WriteUserId, nullptr, 0x0080, 0x10},
        {23, 3, R::Additional, &M::ReadInterface, &M::WriteInterface, nullptr, 0x0080, 0x20},
        {24, 3, R::Main, &M::ReadPlain, &M::WritePulseConstant, nullptr, 0x0100, 0},
        {27, 3, R::Main, &M::ReadSeasonStart, &M::WriteSeasonStart, nullptr, 0x0040, 0x01},
        {28, 3, R::Main, &M::ReadSeasonStart, &M::WriteSeasonStart, nullptr, 0x0040, 0x02},
        {29, 3, R::Main, &M::ReadHolidays, &M::WriteHolidays, &M::IsTwelveSeason, 0x0020, 0},
        {30, 3, R::Main, &M::ReadZones, &M::WriteZones, nullptr, 0x0010, 0x01},
        {31, 3, R::Main, &M::ReadZones, &M::WriteZones, nullptr, 0x0010, 0x02},
        {32, 3, R::Own, &M::ReadClock, &M::WriteClock, nullptr, 0x0008, 0},
        {33, 3, R::None, &M::ReadMeterState, nullptr, nullptr, 0, 0},
        {34, 3, R::Main, &M::ReadPlain, &M::WriteDisplayFormat, nullptr, 0x0080, 0x40},
        {35, 4, R::Additional, &M::ReadPlain, &M::WriteDisplaySettings, nullptr, 0x0080, 0x80},
        {36, 3, R::None, &M::ReadProfile, nullptr, &M::HasProfile, 0, 0},
        {37, 0, R::Own, nullptr, &M::WritePassword, nullptr, 0x0400, 0},
        {40, 3, R::None, &M::ReadProfile, nullptr, &M::HasProfile, 0, 0},
        {41, 3, R::None, &M::ReadProfileMode, nullptr, nullptr, 0, 0},
        {42, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {43, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {44, 3, R::None, &M::ReadEnergy, nullptr, nullptr, 0, 0},
        {46, 4, R::None, &M::ReadInstant, nullptr, nullptr, 0, 0},
        {53, 3, R::Main, &M::ReadPlain, &M::WriteLimits, &M::HasLimits, 0, 0},
        {54, 3, R::Main, &M::ReadSeasonCalendar, &M::WriteSeasonCalendar, &M::HasArbitrarySeasons, 0x0020, 0},
        {55, 3, R::Main, &M::ReadReserveSwitch, &M::WriteReserveSwitch, &M::HasArbitrarySeasons, 0x0010, 0},
        {67, 3, R::Main, &M::ReadPlain, &M::WriteLoad, &M::HasLoadControl, 0, 0},
        {68, 3, R::None, &M::ReadModuleRecord, nullptr, nullptr, 0, 0},
        {69, 3, R::Main, &M::ReadModuleBlock, &M::WriteModuleBlock, &M::HasModuleBlocks, 0, 0},
        {70, 3, R::Main, &M::ReadHolidays, &M::WriteHolidays, &M::IsSevenSeason, 0x0020, 0},
        {71, 3, R::Main, &M::ReadSeasonCalendar, &M::WriteSeasonCalendar, &M::IsSevenSeason, 0x0020, 0},
        {72, 3, R::Main, &M::ReadZones, &M::WriteZones, &M::IsSevenSeason, 0x0010, 0x01},
        {73, 3, R::Main, &M::ReadZones, &M::WriteZones, &M::IsSevenSeason, 0x0010, 0x02},
    };
    for (const TParamDef& def : kParams)
        if (def.Param == param) return &def;
    return nullptr;
}

// Service operations of command 30; all need the main password.
const SimMeter::TServiceDef* SimMeter::FindService(uint8_t op)
{
    using M = SimMeter;
    static const TServiceDef kServices[] = {
        {1, &M::ResetEnergy, 0x0800, 0x01},
        {2, &M::ClearDayHistory, 0x0800, 0x02},
        {3, &M::ClearMonthHistory, 0x0800, 0x04},
        {4, &M::ClearYearHistory, 0x0800, 0x08},
        {36, &M::ClearProfile, 0, 0},
        {7, &M::ClearMaxima, 0x1000, 0},
        {27, &M::ClearSummerStart, 0x0040, 0x04},
        {28, &M::ClearWinterStart, 0x0040, 0x08},
    };
    for (const TServiceDef& def : kServices)
        if (def.Op == op) return &def;
    return nullptr;
}

SimReply SimMeter::Handle(const QByteArray& body)
{
    const uint8_t cmd = At(body, 0);
    const uint8_t param = At(body, 1);
    const bool carriesParam = cmd == kCmdRead || cmd == kCmdRead4 || cmd == kCmdWrite || cmd == kCmdLedOutput
                              || cmd == kCmdBatteryLife;
    if (carriesParam) {
        const auto forced = ForcedStatus.find(param);
        if (forced != ForcedStatus.end()) return {forced->second, {}};
    }
    const SimReply reply = Dispatch(cmd, body);
    const bool writes = cmd == kCmdWrite || cmd == kCmdService || cmd == kCmdBatteryLife
                        || (cmd == kCmdLedOutput && At(body, 2) == 1);
    if (reply.Status == 0 && writes) Changed = true;
    return reply;
}

SimReply SimMeter::Dispatch(uint8_t cmd, const QByteArray& body)
{
    switch (cmd) {
    case kCmdRead:
    case kCmdRead4:
        return ReadParam(cmd, body);
    case kCmdWrite:
        return WriteParam(body);
    case kCmdService:
        return Service(body);
    case kCmdOpenSession:
        return OpenSession(body);
    case kCmdCloseSession:
        SessionLevel = -1;
        return {};
    case kCmdLedOutput:
        return Led(body);
    case kCmdBatteryLife:
        return Battery(body);
    default:
        return {1, {}};
    }
}

SimReply SimMeter::ReadParam(uint8_t cmd, const QByteArray& body)
{
    const TParamDef* def = FindParam(At(body, 1));
    if (!def || def->ReadCommand != cmd || (def->Present && !(this->*def->Present)())) return {2, {}};
    TArgs a;
    a.Param = def->Param;
    a.A1 = At(body, 2);
    a.A2 = At(body, 3);
    a.A3 = At(body, 4);
    return (this->*def->Read)(a);
}

bool SimMeter::MayWrite(TRight right) const
{
    switch (right) {
    case TRight::Main:
        return SessionLevel == 0;
    case TRight::Additional:
        return SessionLevel >= 0;
    default:
        return true;
    }
}

SimReply SimMeter::WriteParam(const QByteArray& body)
{
    const TParamDef* def = FindParam(At(body, 1));
    if (!def || !def->Write || (def->Present && !(this->*def->Present)())) return {2, {}};
    if (!MayWrite(def->Right)) return {4, {}};
    if (body.size() < 3) return {3, {}};
    TArgs a;
    a.Param = def->Param;
    a.Index = At(body, 2);
    a.Data = body.mid(3);
    const uint8_t status = (this->*def->Write)(a);
    // A write without data only completes earlier writes and is not logged.
    if (status == 0 && def->Event && !a.Data.isEmpty()) AddEvent(16, def->Event, def->Detail);
    return {status, {}};
}

SimReply SimMeter::Service(const QByteArray& body)
{
    const TServiceDef* def = FindService(At(body, 1));
    if (!def) return {2, {}};
    if (SessionLevel != 0) return {4, {}};
    (this->*def->Run)();
    if (def->Event) AddEvent(16, def->Event, def->Detail);
    return {};
}

// [31][0][level][8 password characters]; a refused password also ends any
// session that was open.
SimReply SimMeter::OpenSession(const QByteArray& body)
{
    if (At(body, 1) != 0) return {2, {}};
    const uint8_t level = At(body, 2);
    const QByteArray password = body.mid(3);
    if (level > 1 || password.size() != 8 || password != Passwords[level].toLatin1()) {
        SessionLevel = -1;
        return {3, {}};
    }
    SessionLevel = level;
    return {};
}

// Parameter 37: [16][37][level][8 characters]. The additional password may
// change only itself.
uint8_t SimMeter::WritePassword(const TArgs& a)
{
    if (a.Index > 1 || a.Data.size() != 8) return 3;
    if (SessionLevel < 0 || (a.Index == 0 && SessionLevel != 0)) return 4;
    Passwords[a.Index] = QString::fromLatin1(a.Data);
    return 0;
}

// LED output: read [33][1][0] -> [mode][flags]; write [33][1][1][mode][flags].
// Mode 0 normal, 1 normal (older code), 2 verification; flags bit 0 P+,
// bit 1 P-, bit 2 Q+, bit 3 Q-, bit 4 16-second signal (alone).
// The utility configures the LED without a session, so none is asked for.
SimReply SimMeter::Led(const QByteArray& body)
{
    if (At(body, 1) != 1 || TypeCode == 259) return {2, {}};
    if (At(body, 2) == 0) return {0, LedConfig};
    if (At(body, 2) != 1 || body.size() != 5) return {3, {}};
    const uint8_t mode = At(body, 3);
    const uint8_t flags = At(body, 4);
    if (mode > 2 || flags > 0x1F || ((flags & 0x10) && (flags & 0x0F))) return {3, {}};
    if (LedConfig != body.mid(3)) {
        LedConfig = body.mid(3);
        AddEvent(16, 0x0200, mode == 2 ? 0x04 : 0x01);
    }
    return {};
}

// [105][0][check byte][4 bytes battery life, little-endian]; the check byte is
// the CRC-8 of the ten serial-number characters of parameter 18.
SimReply SimMeter::Battery(const QByteArray& body)
{
    if (At(body, 1) != 0) return {2, {}};
    if (SoftVersionNumber() < kBatteryWithoutSessionVersion && SessionLevel != 0) return {4, {}};
    const QByteArray serial = SerialText();
    const uint8_t check = Crc8(reinterpret_cast<const uint8_t*>(serial.constData()), size_t(serial.size()));
    if (body.size() != 7 || At(body, 2) != check) return {3, {}};
    BatteryLife = quint32(At(body, 3)) | quint32(At(body, 4)) << 8 | quint32(At(body, 5)) << 16
                  | quint32(At(body, 6)) << 24;
    return {};
}

QString SimMeter::SerialNumber() const
{
    return Serial;
}

void SimMeter::SetSerialNumber(const QString& serial8)
{
    Serial = serial8.left(8).rightJustified(8, QLatin1Char('0'));
    Load.SetSeed(qHash(Serial));
}

uint8_t SimMeter::NetAddress() const
{
    return ByteAt(StoredValue(21), 0);
}

void SimMeter::SetNetAddress(uint8_t address)
{
    Stored[Key(21, 0)] = QByteArray(1, char(address));
}

void SimMeter::SetMeterTypeCode(uint16_t code)
{
    TypeCode = code;
}

void SimMeter::SetSoftVersion(const QString& text)
{
    SoftVersion = text;
}

void SimMeter::SetForcedStatus(int param, uint8_t status)
{
    if (status == 0)
        ForcedStatus.erase(param);
    else
        ForcedStatus[param] = status;
}

void SimMeter::SetExpansionModule(uint8_t kind, int installed)
{
    ModuleKind = kind;
    ModuleInstalled = installed < 0 ? kind : uint8_t(installed);
}

void SimMeter::SetProfileMode(bool fifteenMinutes, bool singleValue)
{
    Profile15 = fifteenMinutes;
    SingleValue = singleValue;
}

void SimMeter::SetStateWord(int param, uint16_t word)
{
    if (param == 14 || param == 15) StateWords[param - 14] = word;
}

bool SimMeter::TakeChanged()
{
    const bool changed = Changed;
    Changed = false;
    return changed;
}
