#include "app/service_exchange.h"

#include "common/app_paths.h"
#include "common/my_ini_file.h"
#include "device/device.h"
#include "device/device_exception.h"
#include "device/field_codecs.h"
#include "device/parameters.h"

#include <algorithm>

const char* const kLedNotConfigurable = "Этот тип электросчетчика не позволяет изменить конфигурацию светодиода";
const char* const kLoadNotControllable = "Этот тип электросчетчика не позволяет управлять нагрузкой";
const char* const kLoadNeedsVersion120 = "Данная функция доступна начиная с версии 1.20";
const char* const kBadBatteryLife = "Неправильно задано новое значение ресурса батареи";

namespace {


// Clock write indexes: 0 corrects without a password, 2 sets inside a session.
const uint8_t kClockFreeIndex = 0;
const uint8_t kClockSessionIndex = 2;
const int kSlowClockTimeoutMs = 8000;

const uint16_t kDefaultBaudRate = 9600;
const int kInterfaceSettingsSize = 6;

const uint8_t kLedRead = 0;
const uint8_t kLedWrite = 1;

const int kBatteryDefault = 281088;
const int kBatteryWithoutSessionVersion = 302;

const int kLoadMeterType = 2;
const int kLedlessMeterType = 3;
const int kLoadControlVersion = 120;

// A reply too short for its record would hand on bytes the meter never sent.
void RequireSize(const TReplyData& data, int size)
{
    if (data.Size < size) throw TDeviceException(meExchangeError);
}

}  // namespace

int ClockWriteTimeout(int softVersion)
{
    return softVersion >= 500 && softVersion <= 599 ? kSlowClockTimeoutMs : 0;
}

// A meter lets its clock be corrected freely only by a little; a larger step
// is refused (argument or access) and needs the main password.
void WriteMeterClock(TDevice& device, TClockMode mode, const QDateTime& value, const TAskDateTime& askAgain)
{
    const int timeout = ClockWriteTimeout(device.GetSoftVersion());
    // A synchronisation takes the PC time just before each write: connecting
    // and the password prompt can take long.
    const auto timeToWrite = [&] { return mode == cmSync ? QDateTime::currentDateTime() : value; };
    uint8_t bytes[kDateTimeSize];
    EncodeDateTime(timeToWrite(), bytes);
    try {
        device.WriteEx(kPrmDateTime, kClockFreeIndex, bytes, kDateTimeSize, timeout);
        return;
    } catch (const TDeviceException& e) {
        if (e.Code != meArgumentRefused && e.Code != meAccessDenied) throw;
    }
    device.OpenSession(kSessionMain);
    QDateTime chosen = timeToWrite();
    if (mode == cmSet && askAgain && !askAgain(&chosen)) {
        device.CloseSession();
        return;
    }
    EncodeDateTime(chosen, bytes);
    device.WriteEx(kPrmDateTime, kClockSessionIndex, bytes, kDateTimeSize, timeout);
    device.CloseSession();
}

uint8_t NetAddressFromArg(const QString& arg, int connIndex)
{
    if (arg.isEmpty()) return uint8_t(connIndex + 1);
    bool ok = false;
    const int value = arg.toInt(&ok);
    return uint8_t(ok ? value : 0);
}

void WriteNetAddress(TDevice& device, uint8_t address)
{
    device.OpenSession(kSessionDefaultAdditional);
    device.Write(kPrmNetAddress, &address, 1);
    device.FollowNetAddress(address);  // the session is closed at the new address
    device.CloseSession();
}

uint16_t BaudRateFromArg(const QString& arg)
{
    bool ok = false;
    const int value = arg.toInt(&ok);
    return ok ? uint16_t(value) : kDefaultBaudRate;
}

void WriteBaudRate(TDevice& device, uint16_t rate)
{
    const TReplyData data = device.Read(kPrmInterfaceSettings);
    RequireSize(data, kInterfaceSettingsSize);
    uint8_t record[kInterfaceSettingsSize];
    std::copy(data.Data, data.Data + kInterfaceSettingsSize, record);
    PutUInt16(record, rate);
    device.OpenSession(kSessionDefaultAdditional);
    device.Write(kPrmInterfaceSettings, record, kInterfaceSettingsSize);
    device.CloseSession();
}

TLedConfig ReadLedConfig(TDevice& device)
{
    if (device.GetMeterType() == kLedlessMeterType) throw TError(QString::fromUtf8(kLedNotConfigurable));
    const TReplyData data = device.RequestShort(kCmdLedOutput, kPrmLedOutput, kLedRead);
    RequireSize(data, 2);
    return {data[0], data[1]};
}

void WriteLedConfig(TDevice& device, const TLedConfig& config)
{
    const uint8_t bytes[] = {config.Mode, config.Flags};
    device.WriteRequest(kCmdLedOutput, kPrmLedOutput, kLedWrite, bytes, sizeof bytes);
}

QString BatteryLifeText(const QString& arg)
{
    if (!arg.isEmpty()) return arg;
    return QString::number(TMyIniFile(SettingsFilePath())
                               .ReadInteger(QStringLiteral("config"), QStringLiteral("bat_resurs"), kBatteryDefault));
}

bool ParseBatteryLife(const QString& text, uint32_t* value)
{
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok);
    if (!ok || number < 0 || number > qlonglong(UINT32_MAX)) return false;
    *value = uint32_t(number);
    return true;
}

// The command is keyed by the serial number's check byte so that it reaches
// only the meter it was meant for; newer meters take it without a session.
void WriteBatteryLife(TDevice& device, uint32_t value)
{
    const int version = device.GetSoftVersion();
    const uint8_t check = device.ReadCheckByte();
    uint8_t bytes[4];
    PutUInt32(bytes, value);
    const bool needsSession = version < kBatteryWithoutSessionVersion;
    if (needsSession) device.OpenSession(kSessionMain);
    device.WriteRequest(kCmdBatteryLife, kPrmBatteryLife, check, bytes, sizeof bytes);
    if (needsSession) device.CloseSession();
}

void ReadLoadState(TDevice& device, TLoadState* state)
{
    if (device.GetMeterType() != kLoadMeterType) throw TError(QString::fromUtf8(kLoadNotControllable));
    if (device.GetSoftVersion() < kLoadControlVersion) throw TError(QString::fromUtf8(kLoadNeedsVersion120));
    // With the load off the reply [3][67][0][0][0] repeats the request.
    device.SkipEchoCheck();
    const TReplyData data = device.Read(kPrmLoadControl);
    RequireSize(data, 1);
    state->On = data[0] != 0;
    state->Reserved = data.Size >= 2 ? data[1] : 0;
}

void ApplyLoadState(TDevice& device, const TLoadState& state)
{
    const uint8_t bytes[] = {uint8_t(state.On ? 1 : 0), state.Reserved};
    device.OpenSession(kSessionMain);
    device.Write(kPrmLoadControl, bytes, sizeof bytes);
    device.CloseSession();
}

QByteArray ReadExtModuleRecord(TDevice& device)
{
    const TReplyData data = device.ReadEx(kPrmExtModule, 0, 0, 0);
    RequireSize(data, kExtModuleRecordSize);
    return data.ToByteArray().left(kExtModuleRecordSize);
}
