#include "sim/meter.h"
#include "sim/meter_bytes.h"
#include "sim/meter_clock.h"

#include <algorithm>
#include <cmath>

namespace {

// How far back the meter keeps energy by day, month and year (current included).
constexpr int kHistoryDepth[] = {45, 13, 3};
constexpr int kMaximaDepth = 13;
constexpr qint64 kShortInterval = 180;   // the 3-minute averaging interval
constexpr double kWhPerCount = 0.1;

// A repeatable number in [0, 1) for a moment, so that "live" values wander.
double Wobble(qint64 t, quint32 salt)
{
    quint32 x = quint32(t) * 2654435761u ^ salt * 40503u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return double(x & 0xFFFF) / 65536.0;
}

qint64 PeriodStart(int kind, qint64 now, int k)
{
    const QDate d = MeterDate(now);
    switch (kind) {
    case 0: return ToMeterSecs(d.addDays(k));
    case 1: return ToMeterSecs(QDate(d.year(), d.month(), 1).addMonths(k));
    default: return ToMeterSecs(QDate(d.year(), 1, 1).addYears(k));
    }
}

// EnergyRegisterSet: E+, E-, R+, R- as signed 32-bit counts.
QByteArray RegisterSet(const TSimLoad::TCounts& c)
{
    QByteArray b;
    for (qint64 v : c) AppendU32(b, uint32_t(int32_t(v)));
    return b;
}

}  // namespace

std::array<qint64, 4> SimMeter::EnergyAt(qint64 t, int tariff) const
{
    if (t <= ResetTime) return {};
    TSimLoad::TCounts e = Load.Cumulative(t, tariff);
    const TSimLoad::TCounts base = Load.Cumulative(ResetTime, tariff);
    for (size_t i = 0; i < 4; ++i) e[i] -= base[i];
    return e;
}

// 1 totals since reset; 42/43/44 registers at the start of a day, month,
// year; 2/3/4 increments over it. a1 period offset (signed, 0 current),
// a2 tariff 0 (all) or 1..4. The current period always satisfies
// start + increment = total.
SimReply SimMeter::ReadEnergy(const TArgs& a) const
{
    const int k = int8_t(a.A1);
    const int tariff = a.A2;
    if (tariff > 4) return {3, {}};
    const qint64 now = Now();
    if (a.Param == 1) {
        if (k != 0) return {3, {}};
        return {0, RegisterSet(EnergyAt(now, tariff))};
    }
    const bool atStart = a.Param >= 42;
    const int kind = atStart ? a.Param - 42 : a.Param - 2;
    if (k > 0 || -k >= kHistoryDepth[kind]) return {3, {}};
    const qint64 start = PeriodStart(kind, now, k);
    const qint64 end = PeriodStart(kind, now, k + 1);
    const qint64 floor = HistoryFloor[kind];
    if (end <= ProductionTime() || (k != 0 && end <= floor)) return {3, {}};
    const qint64 to = qMin(end, now);
    const qint64 from = qMin(qMax(start, floor), to);
    TSimLoad::TCounts e = EnergyAt(from, tariff);
    if (!atStart) {
        const TSimLoad::TCounts last = EnergyAt(to, tariff);
        for (size_t i = 0; i < 4; ++i) e[i] = last[i] - e[i];
    }
    return {0, RegisterSet(e)};
}

// One slot of the load profile: E+, E-, R+, R- as u16 counts, or in the
// single-value mode E+ - E- as one s16. Slots not yet over hold what has
// been counted so far; slots before manufacture or a clearing hold zeros.
QByteArray SimMeter::ProfileRecord(qint64 t) const
{
    const qint64 to = qMin(t + ProfileSlotSecs(), Now());
    TSimLoad::TCounts c{};
    if (t >= qMax(ProductionTime(), ProfileFloor) && to > t) {
        c = Load.Cumulative(to, 0);
        const TSimLoad::TCounts from = Load.Cumulative(t, 0);
        for (size_t i = 0; i < 4; ++i) c[i] -= from[i];
    }
    QByteArray b;
    if (SingleValue) {
        AppendU16(b, uint16_t(int16_t(std::clamp<qint64>(c[0] - c[1], -32768, 32767))));
        return b;
    }
    for (qint64 v : c) AppendU16(b, uint16_t(qMin<qint64>(v, 0xFFFF)));
    return b;
}

// 36 one record, 40 six records (24 values in the single-value mode) from
// the requested slot on. a1 month (bit 7 set in the single-value mode), a2
// day, a3 slot of the day. The year is the latest one in which that day is
// not in the future; the meter keeps two months of 30-minute slots or one of
// 15-minute slots.
SimReply SimMeter::ReadProfile(const TArgs& a) const
{
    if (bool(a.A1 & 0x80) != SingleValue) return {3, {}};
    const int month = a.A1 & 0x7F;
    const qint64 len = ProfileSlotSecs();
    if (month < 1 || month > 12 || a.A3 >= 86400 / len) return {3, {}};
    const qint64 now = Now();
    const QDate today = MeterDate(now);
    QDate date(today.year(), month, a.A2);
    if (!date.isValid() || date > today) date = QDate(today.year() - 1, month, a.A2);
    if (!date.isValid()) return {3, {}};
    const qint64 t = ToMeterSecs(date) + a.A3 * len;
    const qint64 oldest = ToMeterSecs(today.addMonths(Profile15 ? -1 : -2).addDays(-1));
    if (t < oldest || t >= now) return {3, {}};
    const int count = a.Param == 36 ? 1 : (SingleValue ? 24 : 6);
    QByteArray b;
    for (int i = 0; i < count; ++i) b += ProfileRecord(t + i * len);
    return {0, b};
}

// 7: largest averaged power of a month: date-time of the interval start, then
// the power as a float in W (var). a1 month offset, a2 tariff, a3 direction
// 1 P+, 2 P-, 3 Q+, 4 Q-.
SimReply SimMeter::ReadPowerMaximum(const TArgs& a) const
{
    const int k = int8_t(a.A1);
    const int tariff = a.A2;
    const int dir = a.A3 - 1;
    if (k > 0 || -k >= kMaximaDepth || tariff > 4 || dir < 0 || dir > 3) return {3, {}};
    const qint64 now = Now();
    const qint64 start = PeriodStart(1, now, k);
    const qint64 end = PeriodStart(1, now, k + 1);
    const qint64 production = ProductionTime();
    if (end <= production || (k != 0 && end <= MaximaFloor)) return {3, {}};
    const qint64 len = ProfileSlotSecs();
    const qint64 first = qMax(start, qMax(production, MaximaFloor));
    qint64 best = 0, bestTime = start;
    for (qint64 s = (first + len - 1) / len * len; s + len <= qMin(end, now); s += len) {
        const qint64 slot = s / TSimLoad::kSlotSecs;
        if (tariff != 0 && TSimLoad::SlotTariff(slot) != tariff - 1) continue;
        const qint64 whole = Load.Slot(slot)[size_t(dir)];
        // A 15-minute interval holds the half of its slot the cumulative count gives it.
        const qint64 counts = len == TSimLoad::kSlotSecs ? whole : (s % TSimLoad::kSlotSecs == 0 ? whole / 2 : whole - whole / 2);
        if (counts > best) {
            best = counts;
            bestTime = s;
        }
    }
    QByteArray b = EncodeMeterTime(bestTime);
    AppendFloat(b, float(double(best) * kWhPerCount * 3600.0 / double(len)));
    return {0, b};
}

// 6 over the averaging interval, 5 over 3 minutes: P+, P-, Q+, Q- as floats
// in W (var). a1 0 the current interval, 0xFF the previous one.
SimReply SimMeter::ReadAveragePower(const TArgs& a) const
{
    if (a.A1 != 0 && a.A1 != 0xFF) return {3, {}};
    const qint64 len = a.Param == 6 ? ProfileSlotSecs() : kShortInterval;
    const qint64 s = Now() / len * len - (a.A1 ? len : 0);
    const TSimLoad::TCounts c = Load.Slot(s / TSimLoad::kSlotSecs);
    const double factor = a.Param == 5 ? 0.9 + 0.2 * Wobble(s, 5) : 1.0;
    QByteArray b;
    for (qint64 v : c) AppendFloat(b, float(double(v) * kWhPerCount * 3600.0 / TSimLoad::kSlotSecs * factor));
    return {0, b};
}

std::array<float, 6> SimMeter::InstantValues() const
{
    const qint64 now = Now();
    const TSimLoad::TCounts c = Load.Slot(now / TSimLoad::kSlotSecs);
    const double toWatts = kWhPerCount * 3600.0 / TSimLoad::kSlotSecs;
    const double p = double(c[0] - c[1]) * toWatts * (0.95 + 0.1 * Wobble(now, 1));
    const double q = double(c[2] - c[3]) * toWatts * (0.95 + 0.1 * Wobble(now, 2));
    const double u = 227.0 + 6.0 * Wobble(now, 3);
    const double f = 49.95 + 0.1 * Wobble(now, 4);
    const double s = std::sqrt(p * p + q * q);
    // Powers come in the unit of the display format (byte 11: 0 W, 1 kW, 2 MW).
    const double scale = std::pow(1000.0, -double(ByteAt(StoredValue(34), 11)));
    return {float(p * scale), float(q * scale), float(u), float(s / u), float(s > 0 ? p / s : 1.0), float(f)};
}

// 46 (command 4, selectors 0, 0, 1): P, Q, U, I, power factor, frequency as floats.
SimReply SimMeter::ReadInstant(const TArgs& a) const
{
    if (a.A1 != 0 || a.A2 != 0 || a.A3 != 1) return {3, {}};
    QByteArray b;
    for (float v : InstantValues()) AppendFloat(b, v);
    return {0, b};
}

void SimMeter::ResetEnergy()
{
    ResetTime = Now();
}

void SimMeter::ClearDayHistory()
{
    HistoryFloor[kDay] = Now();
}

void SimMeter::ClearMonthHistory()
{
    HistoryFloor[kMonth] = Now();
}

void SimMeter::ClearYearHistory()
{
    HistoryFloor[kYear] = Now();
}

void SimMeter::ClearProfile()
{
    ProfileFloor = Now();
}

void SimMeter::ClearMaxima()
{
    MaximaFloor = Now();
}
