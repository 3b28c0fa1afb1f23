#include "device/device.h"

#include "common/wait_hook.h"
#include "connection/connection_string.h"
#include "connection/crc.h"
#include "device/device_exception.h"
#include "device/field_codecs.h"
#include "device/parameters.h"

#include <cstring>

const char* const kReadingText = "Чтение данных...";
const char* const kWritingText = "Запись данных...";
const char* const kDisconnectingText = "Разрыв связи...";

namespace {

const int kSerialNumberSize = 10;
const int kVersionChars = 4;
const int kUnknownMeterType = 100;

struct TMeterTypeCode {
    uint16_t value;
    int type;
};

const TMeterTypeCode kMeterTypes[] = {
    {257, 1}, {258, 2}, {259, 3}, {260, 4}, {262, 5}, {263, 6}, {3, 7},
};

struct TClearStep {
    uint8_t op;
    const char* waitText;  // UTF-8
    int timeoutMs;
};

const TClearStep kClearSteps[] = {
    {kOpClearTotalEnergy, "Обнуление суммарной энергии", 5000},
    {kOpClearYearIncrements, "Обнуление годовых приращений", 5000},
    {kOpClearMonthIncrements, "Обнуление месячных приращений", 5000},
    {kOpClearDayIncrements, "Обнуление суточных приращений", 15000},
    {kOpClearLoadProfile, "Обнуление срезов", 50000},
    {kOpClearMonthMaxima, "Обнуление месячных максимумов", 10000},
};

}  // namespace

TDevice& TheDevice()
{
    static TDevice device;
    return device;
}

TReplyData TDevice::Exchange(const uint8_t* body, int length, int timeoutMs)
{
    TLinkRequest request;
    std::memcpy(request.Body, body, size_t(length));
    request.BodyLength = uint8_t(length);
    request.TimeoutMs = timeoutMs;
    const uint8_t status = Link.Exchange(request);
    if (status != 0) throw TDeviceException(status);
    // The view skips [addr][cmd][param][status].
    TReplyData data;
    data.Data = request.Reply + 4;
    data.Size = qMax(0, request.ReplySize - 4);
    return data;
}

TReplyData TDevice::Request(uint8_t cmd, uint8_t param, uint8_t a1, uint8_t a2, uint8_t a3, int timeoutMs)
{
    const uint8_t body[] = {cmd, param, a1, a2, a3};
    SetWaitStatus(QString::fromUtf8(kReadingText));
    return Exchange(body, sizeof body, timeoutMs);
}

TReplyData TDevice::Read(uint8_t param, int timeoutMs) { return Request(kCmdRead, param, 0, 0, 0, timeoutMs); }

TReplyData TDevice::ReadEx(uint8_t param, uint8_t a1, uint8_t a2, uint8_t a3, int timeoutMs)
{
    return Request(kCmdRead, param, a1, a2, a3, timeoutMs);
}

TReplyData TDevice::Read4(uint8_t param, int timeoutMs) { return Request(kCmdRead4, param, 0, 0, 0, timeoutMs); }

TReplyData TDevice::Read4Ex(uint8_t param, uint8_t a1, uint8_t a2, uint8_t a3, int timeoutMs)
{
    return Request(kCmdRead4, param, a1, a2, a3, timeoutMs);
}

TReplyData TDevice::RequestShort(uint8_t cmd, uint8_t param, uint8_t a1, int timeoutMs)
{
    const uint8_t body[] = {cmd, param, a1};
    SetWaitStatus(QString::fromUtf8(kReadingText));
    return Exchange(body, sizeof body, timeoutMs);
}

TReplyData TDevice::WriteRequest(uint8_t cmd, uint8_t param, uint8_t index, const void* data, int count,
                                 int timeoutMs)
{
    uint8_t body[sizeof(TLinkRequest::Body)];
    // The body length travels in one byte; the link refuses the same way a
    // body that does not fit its frame.
    if (count < 0 || 3 + count > 255) throw TError(LinkFailureMessage(lfTransmit));
    body[0] = cmd;
    body[1] = param;
    body[2] = index;
    if (count > 0) std::memcpy(body + 3, data, size_t(count));
    SetWaitStatus(QString::fromUtf8(kWritingText));
    return Exchange(body, 3 + count, timeoutMs);
}

TReplyData TDevice::Write(uint8_t param, const void* data, int count, int timeoutMs)
{
    return WriteRequest(kCmdWrite, param, 0, data, count, timeoutMs);
}

TReplyData TDevice::WriteEx(uint8_t param, uint8_t index, const void* data, int count, int timeoutMs)
{
    return WriteRequest(kCmdWrite, param, index, data, count, timeoutMs);
}

void TDevice::Service(uint8_t op, const QString& waitText, int timeoutMs, uint8_t arg)
{
    const uint8_t body[] = {kCmdService, op, arg};
    SetWaitStatus(waitText);
    SkipEchoCheck();
    Exchange(body, sizeof body, timeoutMs);
}

int TDevice::GetMeterType()
{
    TReplyData data;
    try {
        data = Read(kPrmMeterType);
    } catch (const TDeviceException& e) {
        if (e.Code == meParameterNotAvailable) return kUnknownMeterType;
        throw;
    }
    // A reply too short to hold the code names no known type.
    if (data.Size < 2) return kUnknownMeterType;
    const uint16_t value = GetUInt16(data.Data);
    for (const TMeterTypeCode& entry : kMeterTypes)
        if (entry.value == value) return entry.type;
    return kUnknownMeterType;
}

int TDevice::GetSoftVersion()
{
    const TReplyData data = Read(kPrmSoftVersion);
    int value = 0;
    // Only what the meter sent counts: the bytes after the data are the
    // terminator and the CRC.
    for (int i = 0; i < qMin(kVersionChars, data.Size); ++i) {
        const uint8_t c = data[i];
        if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
    }
    return value;
}

uint8_t TDevice::ReadCheckByte()
{
    const TReplyData data = Read(kPrmSerialNumber);
    // A check byte from a cut serial number would be a wrong key, not a weak one.
    if (data.Size < kSerialNumberSize) throw TDeviceException(meExchangeError);
    return Crc8(data.Data, kSerialNumberSize);
}

void TDevice::ClearArchives()
{
    for (const TClearStep& step : kClearSteps) Service(step.op, QString::fromUtf8(step.waitText), step.timeoutMs);
}

int TDevice::Connect(const QString& connectionString) { return Link.Connect(connectionString); }

void TDevice::Disconnect()
{
    SetWaitStatus(QString::fromUtf8(kDisconnectingText));
    Link.Disconnect();
}

uint8_t TDevice::GetNetAddress(const QString& connectionString) { return ::GetNetAddress(connectionString); }

QString TDevice::SetNetAddress(const QString& connectionString, int address)
{
    return ::SetNetAddress(connectionString, address);
}

void TDevice::FollowNetAddress(uint8_t address)
{
    if (!Link.GetUseSerial()) Link.SetAddressing(address, Link.GetAttempts(), QString(), Link.GetProtocol());
}
