#pragma once
#include "connection/connection.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// The data of a reply after its status byte, followed by a zero byte (so a
// text reads as a zero-terminated string). Points into the link's receive
// buffer: valid until the next exchange.
struct TReplyData {
    const uint8_t* Data = nullptr;
    int Size = 0;

    uint8_t operator[](int index) const { return Data[index]; }
    const char* Text() const { return reinterpret_cast<const char*>(Data); }
    QByteArray ToByteArray() const { return QByteArray(Text(), Size); }
};

// The meter command layer: builds each command's request, runs it over its
// link and turns a refusing status byte into a TDeviceException.
// timeoutMs is the wait for the first reply bytes; 0 leaves it to the transport.
class TDevice {
public:
    TDevice() = default;
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

    TConnection& Connection() { return Link; }

    TReplyData Request(uint8_t cmd, uint8_t param, uint8_t a1, uint8_t a2, uint8_t a3, int timeoutMs = 0);
    TReplyData Read(uint8_t param, int timeoutMs = 0);
    TReplyData ReadEx(uint8_t param, uint8_t a1, uint8_t a2, uint8_t a3, int timeoutMs = 0);
    TReplyData Read4(uint8_t param, int timeoutMs = 0);
    TReplyData Read4Ex(uint8_t param, uint8_t a1, uint8_t a2, uint8_t a3, int timeoutMs = 0);
    TReplyData RequestShort(uint8_t cmd, uint8_t param, uint8_t a1, int timeoutMs = 0);
    TReplyData WriteRequest(uint8_t cmd, uint8_t param, uint8_t index, const void* data, int count,
                            int timeoutMs = 0);
    TReplyData Write(uint8_t param, const void* data, int count, int timeoutMs = 0);
    TReplyData WriteEx(uint8_t param, uint8_t index, const void* data, int count, int timeoutMs = 0);
    // [30][op][arg]; its successful reply repeats the request, so the echo check is off.
    void Service(uint8_t op, const QString& waitText, int timeoutMs, uint8_t arg = 0);

    // Password sessions (session.cpp).
    bool TryPassword(uint8_t level, const QString& password);
    void OpenSession(uint8_t flags);
    void CloseSession();
    void ChangePassword(const QString& text);

    // 1..7 for the known meter types, 100 for an unknown one.
    int GetMeterType();
    // The digits of the first four characters of the version text: "3.02" -> 302.
    int GetSoftVersion();
    // CRC-8 of the serial number, the key of the battery life command.
    uint8_t ReadCheckByte();
    void ClearArchives();

    int Connect(const QString& connectionString);
    void Disconnect();
    static uint8_t GetNetAddress(const QString& connectionString);
    static QString SetNetAddress(const QString& connectionString, int address);
    TLinkStatistics GetStatistics() const { return Link.GetStatistics(); }
    void ResetStatistics() { Link.ResetStatistics(); }
    int GetMaxReplySize() const { return Link.GetMaxReplySize(); }
    void SkipEchoCheck() { Link.SetSkipEcho(); }
    // A meter answers at a newly written network address at once: a link that
    // addresses it by network address follows it for the rest of this
    // connection (the next connect takes the saved connection's address).
    void FollowNetAddress(uint8_t address);

private:
    TReplyData Exchange(const uint8_t* body, int length, int timeoutMs);

    TConnection Link;
};

// The process-wide meter, created on first use.
TDevice& TheDevice();

// Session flags of OpenSession.
constexpr uint8_t kTryDefaultMain = 0x01;
constexpr uint8_t kTryDefaultAdditional = 0x02;
constexpr uint8_t kAskMain = 0x04;
constexpr uint8_t kAskAdditional = 0x08;
constexpr uint8_t kAskAdditionalOnly = 0x80;  // prompt wording when kAskAdditional is set
// The combinations in use.
constexpr uint8_t kSessionMain = kTryDefaultMain | kAskMain;                                  // 5
constexpr uint8_t kSessionAny = kTryDefaultMain | kTryDefaultAdditional | kAskMain | kAskAdditional;  // 15
constexpr uint8_t kSessionDefaultAdditional = kTryDefaultAdditional;                          // 2
constexpr uint8_t kSessionChangeMain = kSessionMain | kAskAdditionalOnly;                     // 133
constexpr uint8_t kSessionChangeAdditional = kTryDefaultAdditional | kAskAdditional | kAskAdditionalOnly;  // 138

extern const char* const kReadingText;         // "Чтение данных..."
extern const char* const kWritingText;         // "Запись данных..."
extern const char* const kDisconnectingText;   // "Разрыв связи..."
