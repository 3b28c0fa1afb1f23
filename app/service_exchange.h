#pragma once
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>

class TDevice;

// The exchanges of the main window's service commands, free of widgets: each
// runs over an open connection and raises TError / TDeviceException on failure.

// Clock write. Mode 0 synchronises with the PC clock (value unused), mode 1
// sets value; when the meter wants a session for it, askAgain may change it.
enum TClockMode { cmSync = 0, cmSet = 1 };
// Shown again when the meter wants a session for the clock: gets the value
// asked for first, returns false on cancel.
using TAskDateTime = std::function<bool(QDateTime* value)>;
// Meters with software 5.00 to 5.99 need longer to settle their clock.
int ClockWriteTimeout(int softVersion);
void WriteMeterClock(TDevice& device, TClockMode mode, const QDateTime& value, const TAskDateTime& askAgain);

// Network address from a macro argument: empty = connection loop index + 1.
uint8_t NetAddressFromArg(const QString& arg, int connIndex);
void WriteNetAddress(TDevice& device, uint8_t address);

// Baud rate from a macro argument: empty or not a number = 9600.
uint16_t BaudRateFromArg(const QString& arg);
// Writes the rate into the interface settings, keeping the rest as read.
void WriteBaudRate(TDevice& device, uint16_t rate);

// LED (pulse output) configuration: mode code and flag bits.
struct TLedConfig {
    uint8_t Mode = 0;
    uint8_t Flags = 0;
};
enum TLedFlag : uint8_t { lfPplus = 0x01, lfPminus = 0x02, lfQplus = 0x04, lfQminus = 0x08, lf16sec = 0x10 };
TLedConfig ReadLedConfig(TDevice& device);
void WriteLedConfig(TDevice& device, const TLedConfig& config);

// Battery life: the macro argument, else "bat_resurs" of the settings file.
QString BatteryLifeText(const QString& arg);
// False (and nothing sent) when the text is not a 32-bit unsigned number.
bool ParseBatteryLife(const QString& text, uint32_t* value);
void WriteBatteryLife(TDevice& device, uint32_t value);

// Load control (parameter 67): the switch and the second byte as last read,
// which the write hands back to the meter unchanged.
struct TLoadState {
    bool On = true;
    uint8_t Reserved = 0;
};
void ReadLoadState(TDevice& device, TLoadState* state);
void ApplyLoadState(TDevice& device, const TLoadState& state);

// The first bytes of parameter 68 describing a fitted expansion module.
constexpr int kExtModuleRecordSize = 14;
constexpr int kExtModuleKindByte = 12;
QByteArray ReadExtModuleRecord(TDevice& device);

extern const char* const kLedNotConfigurable;      // "Этот тип электросчетчика не позволяет изменить конфигурацию светодиода"
extern const char* const kLoadNotControllable;     // "Этот тип электросчетчика не позволяет управлять нагрузкой"
extern const char* const kLoadNeedsVersion120;     // "Данная функция доступна начиная с версии 1.20"
extern const char* const kBadBatteryLife;          // "Неправильно задано новое значение ресурса батареи"
