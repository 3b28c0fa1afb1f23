#include "sim/meter.h"
#include "sim/meter_bytes.h"
#include "sim/meter_clock.h"

namespace {

constexpr uint8_t kCompleteIndex = 255;   // a write without data that completes a schedule

// Factory holidays: bit d-1 set for day d of the month.
uint32_t FactoryHolidays(int month)
{
    switch (month) {
    case 1: return 0x000000FF;                // 1-8 January
    case 2: return 1u << 22;                  // 23 February
    case 3: return 1u << 7;                   // 8 March
    case 5: return (1u << 0) | (1u << 8);     // 1 and 9 May
    case 6: return 1u << 11;                  // 12 June
    case 11: return 1u << 3;                  // 4 November
    default: return 0;
    }
}

// Factory zones follow the tariffs the load model bills by: one mask byte
// per half-hour, bit 0 T1 .. bit 3 T4.
QByteArray FactoryZones()
{
    QByteArray b(48, 0);
    for (int k = 0; k < 48; ++k) b[k] = char(1 << TSimLoad::SlotTariff(k));
    return b;
}

QDate LastSunday(int year, int month)
{
    QDate d(year, month, QDate(year, month, 1).daysInMonth());
    return d.addDays(-(d.dayOfWeek() % 7));
}

}  // namespace

bool SimMeter::IsSevenSeason() const
{
    const int v = SoftVersionNumber();
    return v >= 500 && v <= 599;
}

// Meters that take a free season calendar and a reserve schedule.
bool SimMeter::HasArbitrarySeasons() const
{
    const int v = SoftVersionNumber();
    switch (TypeCode) {
    case 258:
    case 259:
    case 263:
        return v >= 115;
    case 257:
    case 262:
        return (v >= 325 && v <= 499) || (v >= 600 && v <= 699);
    default:
        return false;
    }
}

// Status for a season (30, 31, 72, 73) or month (54, 71) index: a 7-season
// meter keeps its main schedule in 71-73, so 30, 31 and 54 hold only the
// reserve schedule (13..24) there.
uint8_t SimMeter::ScheduleIndexStatus(uint8_t param, uint8_t index) const
{
    if (param >= 71) return index >= 1 && index <= (param == 71 ? 12 : 7) ? 0 : 3;
    if (index >= 1 && index <= 12) return IsSevenSeason() ? 2 : 0;
    if (index >= 13 && index <= 24) return HasArbitrarySeasons() ? 0 : 3;
    return 3;
}

// 29, 70: holiday month: day mask u32, year - 2000, month. Read selectors:
// a1 0 this year / 1 next year, a3 month. Written with index = month and
// 5 bytes (mask, year); 70 completes with index 255 and no data.
SimReply SimMeter::ReadHolidays(const TArgs& a) const
{
    if (a.A1 > 1 || a.A3 < 1 || a.A3 > 12) return {3, {}};
    const int year = (MeterDate(Now()).year() + a.A1 - 2000) & 0xFF;
    const QByteArray stored = StoredValue(a.Param, year * 100 + a.A3);
    QByteArray b;
    AppendU32(b, stored.isEmpty() ? FactoryHolidays(a.A3) : GetU32(stored, 0));
    b.append(char(year));
    b.append(char(a.A3));
    return {0, b};
}

uint8_t SimMeter::WriteHolidays(const TArgs& a)
{
    if (a.Param == 70 && a.Index == kCompleteIndex && a.Data.isEmpty()) return 0;
    if (a.Index < 1 || a.Index > 12 || a.Data.size() != 5) return 3;
    QByteArray mask;
    AppendU32(mask, GetU32(a.Data, 0) & 0x7FFFFFFF);
    Stored[Key(a.Param, uint8_t(a.Data[4]) * 100 + a.Index)] = mask;
    return 0;
}

// 30/72 workday, 31/73 weekend: 48 tariff masks of a season, half-hour 0
// first. Read selector a3 = season; write index = season; 72 completes the
// 7-season schedule with index 255 and no data.
SimReply SimMeter::ReadZones(const TArgs& a) const
{
    if (const uint8_t status = ScheduleIndexStatus(a.Param, a.A3)) return {status, {}};
    const QByteArray stored = StoredValue(a.Param, a.A3);
    return {0, stored.isEmpty() ? FactoryZones() : stored};
}

uint8_t SimMeter::WriteZones(const TArgs& a)
{
    if (a.Param == 72 && a.Index == kCompleteIndex && a.Data.isEmpty()) return 0;
    if (const uint8_t status = ScheduleIndexStatus(a.Param, a.Index)) return status;
    if (a.Data.size() != 48) return 3;
    Stored[Key(a.Param, a.Index)] = a.Data;
    return 0;
}

// 54/71: season number of days 1..31 of a month. Factory calendar: 54 season
// m in month m; 71 season 1 from October to March, 2 from April to September.
// Selector a3 = month (54: 13..24 reserve); 71 completes with index 255.
SimReply SimMeter::ReadSeasonCalendar(const TArgs& a) const
{
    if (const uint8_t status = ScheduleIndexStatus(a.Param, a.A3)) return {status, {}};
    const QByteArray stored = StoredValue(a.Param, a.A3);
    if (!stored.isEmpty()) return {0, stored};
    const int month = (a.A3 - 1) % 12 + 1;
    const int season = a.Param == 71 ? (month >= 4 && month <= 9 ? 2 : 1) : month;
    return {0, QByteArray(31, char(season))};
}

uint8_t SimMeter::WriteSeasonCalendar(const TArgs& a)
{
    if (a.Param == 71 && a.Index == kCompleteIndex && a.Data.isEmpty()) return 0;
    if (const uint8_t status = ScheduleIndexStatus(a.Param, a.Index)) return status;
    if (a.Data.size() != 31) return 3;
    const int maxSeason = a.Param == 71 ? 7 : 12;
    for (char season : a.Data)
        if (uint8_t(season) > maxSeason) return 3;
    Stored[Key(a.Param, a.Index)] = a.Data;
    return 0;
}

// 55: switch to the reserve schedule, six-byte date-time, selector 1.
// Factory value 2100-01-01 00:00:00: never.
SimReply SimMeter::ReadReserveSwitch(const TArgs& a) const
{
    if (a.A3 != 1) return {3, {}};
    const QByteArray stored = StoredValue(55, 1);
    return {0, stored.isEmpty() ? EncodeMeterTime(ToMeterSecs(QDate(2100, 1, 1))) : stored};
}

uint8_t SimMeter::WriteReserveSwitch(const TArgs& a)
{
    qint64 t = 0;
    if (a.Index != 1 || !DecodeMeterTime(a.Data, 0, &t) || a.Data.size() != 6) return 3;
    Stored[Key(55, 1)] = a.Data;
    return 0;
}

// 27, 28: start of summer and winter, six-byte date-time. Without a written
// start the meter calculates it: last Sunday of March 02:00, last Sunday of
// October 03:00 of the current year.
qint64 SimMeter::SeasonStart(int param) const
{
    qint64 t = 0;
    if (DecodeMeterTime(StoredValue(param), 0, &t)) return t;
    const int year = MeterDate(Now()).year();
    return param == 27 ? ToMeterSecs(LastSunday(year, 3)) + 2 * 3600 : ToMeterSecs(LastSunday(year, 10)) + 3 * 3600;
}

bool SimMeter::IsSummer() const
{
    const qint64 summer = SeasonStart(27), winter = SeasonStart(28), now = Now();
    if (summer <= winter) return now >= summer && now < winter;
    return !(now >= winter && now < summer);
}

SimReply SimMeter::ReadSeasonStart(const TArgs& a) const
{
    return {0, EncodeMeterTime(SeasonStart(a.Param))};
}

uint8_t SimMeter::WriteSeasonStart(const TArgs& a)
{
    qint64 t = 0;
    if (a.Index != 0 || a.Data.size() != 6 || !DecodeMeterTime(a.Data, 0, &t)) return 3;
    Stored[Key(a.Param, 0)] = a.Data;
    return 0;
}

// Service 27 on a 7-season meter restores the calculation of both starts.
void SimMeter::ClearSummerStart()
{
    Stored.remove(Key(27, 0));
    if (IsSevenSeason()) Stored.remove(Key(28, 0));
}

void SimMeter::ClearWinterStart()
{
    Stored.remove(Key(28, 0));
}
