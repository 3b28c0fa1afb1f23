#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>
#include <map>

#include "sim/meter_load.h"

// Reply of a simulated meter to one request body.
struct SimReply {
    uint8_t Status = 0;   // 0 success, else the meter's error code
    QByteArray Data;      // reply data after the status byte
};

// One simulated ZV-301 meter: its identity, its parameters, its password
// session and its persistent state.
class SimMeter {
public:
    SimMeter();
    // Body = [cmd][param][rest...] as it came in the request frame.
    SimReply Handle(const QByteArray& body);

    QString SerialNumber() const;     // the 8 characters used for addressing
    void SetSerialNumber(const QString& serial8);
    uint8_t NetAddress() const;       // parameter 21
    void SetNetAddress(uint8_t address);

    // Identity used to reach version-dependent paths of the utility.
    void SetMeterTypeCode(uint16_t code);   // parameter 0 value (257, 258, 259, ...)
    void SetSoftVersion(const QString& text);  // parameter 20, e.g. "3.02"

    // Fault switch: answer every read or write of this parameter with this status.
    // Status 0 lifts the fault.
    void SetForcedStatus(int param, uint8_t status);

    // The meter clock stands still at this time (writes of the clock move it);
    // an invalid time lets it run from the PC clock again.
    void FreezeClock(const QDateTime& meterTime);
    // Expansion module fitted (parameter 68 byte 12: 0 none, 1 two serial
    // interfaces, 2 GSM, 3 Ethernet, 4 Wi-Fi, 5 data push) and the kind the
    // meter found installed (byte 13); installed < 0 means the same kind.
    void SetExpansionModule(uint8_t kind, int installed = -1);
    // Load profile in 15-minute slots instead of 30, and/or one signed value per slot.
    void SetProfileMode(bool fifteenMinutes, bool singleValue);
    // Live status word of the network (14) or error (15) archive, e.g. 0x0002
    // for a clock failure.
    void SetStateWord(int param, uint16_t word);

    // True once after a request changed what ToJson saves.
    bool TakeChanged();

    QJsonObject ToJson() const;
    void FromJson(const QJsonObject& json);

private:
    enum class TRight { None, Main, Additional, Own };
    enum TPeriod { kDay, kMonth, kYear, kPeriodCount };

    struct TArgs {
        uint8_t Param = 0;
        uint8_t A1 = 0, A2 = 0, A3 = 0;   // read selectors
        uint8_t Index = 0;                 // write index
        QByteArray Data;                   // write data
    };
    using TReadFn = SimReply (SimMeter::*)(const TArgs&) const;
    using TWriteFn = uint8_t (SimMeter::*)(const TArgs&);
    using TPresentFn = bool (SimMeter::*)() const;
    struct TParamDef {
        uint8_t Param;
        uint8_t ReadCommand;   // 3 or 4; 0 when the parameter is write-only
        TRight Right;          // session a write needs
        TReadFn Read;
        TWriteFn Write;
        TPresentFn Present;    // nullptr: every meter has it
        uint16_t Event;        // correction archive entry of a successful write
        uint8_t Detail;
    };
    struct TServiceDef {
        uint8_t Op;
        void (SimMeter::*Run)();
        uint16_t Event;
        uint8_t Detail;
    };
    struct TArchiveRecord {
        qint64 Time = 0;
        uint16_t Events = 0;
        uint8_t Detail = 0;
    };

    static const TParamDef* FindParam(uint8_t param);
    static const TServiceDef* FindService(uint8_t op);

    // meter.cpp: commands and sessions
    SimReply Dispatch(uint8_t cmd, const QByteArray& body);
    SimReply ReadParam(uint8_t cmd, const QByteArray& body);
    SimReply WriteParam(const QByteArray& body);
    SimReply Service(const QByteArray& body);
    SimReply OpenSession(const QByteArray& body);
    SimReply Led(const QByteArray& body);
    SimReply Battery(const QByteArray& body);
    bool MayWrite(TRight right) const;

    // meter_params.cpp: factory data and plain parameters
    void LoadFactoryDefaults();
    static QString Key(int param, int selector);
    QByteArray StoredValue(int param, int selector = 0) const;
    SimReply ReadPlain(const TArgs& a) const;
    SimReply ReadTypeCode(const TArgs& a) const;
    SimReply ReadTypeText(const TArgs& a) const;
    SimReply ReadSerialText(const TArgs& a) const;
    SimReply ReadSoftVersion(const TArgs& a) const;
    SimReply ReadInterface(const TArgs& a) const;
    SimReply ReadMeterState(const TArgs& a) const;
    SimReply ReadProfileMode(const TArgs& a) const;
    uint8_t WriteNetAddress(const TArgs& a);
    uint8_t WriteUserId(const TArgs& a);
    uint8_t WriteInterface(const TArgs& a);
    uint8_t WritePulseConstant(const TArgs& a);
    uint8_t WriteDisplayFormat(const TArgs& a);
    uint8_t WriteDisplaySettings(const TArgs& a);
    uint8_t WriteLimits(const TArgs& a);
    uint8_t WriteLoad(const TArgs& a);
    uint8_t WritePassword(const TArgs& a);
    bool HasLimits() const;
    bool HasLoadControl() const;
    bool HasProfile() const;
    QByteArray SerialText() const;
    int SoftVersionNumber() const;

    // meter_tariffs.cpp: schedules, calendars, seasons
    bool IsSevenSeason() const;
    bool IsTwelveSeason() const { return !IsSevenSeason(); }
    bool HasArbitrarySeasons() const;
    uint8_t ScheduleIndexStatus(uint8_t param, uint8_t index) const;
    SimReply ReadHolidays(const TArgs& a) const;
    uint8_t WriteHolidays(const TArgs& a);
    SimReply ReadZones(const TArgs& a) const;
    uint8_t WriteZones(const TArgs& a);
    SimReply ReadSeasonCalendar(const TArgs& a) const;
    uint8_t WriteSeasonCalendar(const TArgs& a);
    SimReply ReadReserveSwitch(const TArgs& a) const;
    uint8_t WriteReserveSwitch(const TArgs& a);
    SimReply ReadSeasonStart(const TArgs& a) const;
    uint8_t WriteSeasonStart(const TArgs& a);
    qint64 SeasonStart(int param) const;   // 27 summer, 28 winter, this year
    bool IsSummer() const;
    void ClearSummerStart();
    void ClearWinterStart();

    // meter_clock.cpp
    qint64 Now() const;
    SimReply ReadClock(const TArgs& a) const;
    uint8_t WriteClock(const TArgs& a);
    qint64 ProductionTime() const;

    // meter_energy.cpp: registers, profile, powers built on TSimLoad
    std::array<qint64, 4> EnergyAt(qint64 t, int tariff) const;
    SimReply ReadEnergy(const TArgs& a) const;
    SimReply ReadProfile(const TArgs& a) const;
    SimReply ReadPowerMaximum(const TArgs& a) const;
    SimReply ReadAveragePower(const TArgs& a) const;
    SimReply ReadInstant(const TArgs& a) const;
    std::array<float, 6> InstantValues() const;   // P, Q, U, I, power factor, frequency
    qint64 ProfileSlotSecs() const { return Profile15 ? 900 : 1800; }
    QByteArray ProfileRecord(qint64 t) const;
    void ResetEnergy();
    void ClearDayHistory();
    void ClearMonthHistory();
    void ClearYearHistory();
    void ClearProfile();
    void ClearMaxima();

    // meter_archive.cpp
    void LoadFactoryArchives();
    SimReply ReadArchive(const TArgs& a) const;
    void AddEvent(int param, uint16_t events, uint8_t detail);

    // meter_module.cpp: expansion module record and blocks
    void LoadFactoryModule();
    SimReply ReadModuleRecord(const TArgs& a) const;
    SimReply ReadModuleBlock(const TArgs& a) const;
    uint8_t WriteModuleBlock(const TArgs& a);
    bool HasModuleBlocks() const;
    QByteArray EthernetState() const;
    QByteArray WifiState() const;
    int RestartPhase() const;   // -1 when no restart runs

    // identity
    QString Serial = "00012345";
    uint16_t TypeCode = 258;
    QString SoftVersion = "3.02";

    // sessions
    QString Passwords[2];
    int SessionLevel = -1;   // -1 closed, 0 main, 1 additional

    // clock: meter time = PC wall-clock time + ClockOffset (seconds)
    qint64 ClockOffset = 0;
    qint64 FrozenTime = -1;  // >= 0: the clock stands at this meter time

    // plain parameter data by Key(param, selector)
    QMap<QString, QByteArray> Stored;
    QByteArray LedConfig;      // mode, flags
    quint32 BatteryLife = 0;

    // energy history limits, in meter seconds (see meter_energy.cpp)
    qint64 ResetTime = 0;
    qint64 HistoryFloor[kPeriodCount] = {0, 0, 0};
    qint64 ProfileFloor = 0;
    qint64 MaximaFloor = 0;
    bool Profile15 = false;
    bool SingleValue = false;
    TSimLoad Load;

    // archives 14, 15, 16, newest first; live words of 14 and 15
    QVector<TArchiveRecord> Archives[3];
    uint16_t StateWords[2] = {0, 0};

    uint8_t ModuleKind = 0;
    uint8_t ModuleInstalled = 0;
    qint64 RestartStartMs = -1;   // PC milliseconds of the last module restart

    std::map<int, uint8_t> ForcedStatus;
    bool Changed = false;
};
