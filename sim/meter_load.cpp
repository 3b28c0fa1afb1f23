#include "sim/meter_load.h"

#include <cmath>

namespace {

quint64 Mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Mean household demand in watts by hour of the day.
constexpr double kHourWatts[24] = {
    260, 240, 230, 230, 240, 300, 520, 900, 850, 620, 480, 450,
    470, 460, 440, 480, 620, 1100, 1450, 1500, 1350, 1100, 800, 450,
};
constexpr double kCountsPerWattSlot = 5.0;   // 1 W over half an hour = 0.5 Wh = 5 counts

}  // namespace

void TSimLoad::SetSeed(quint32 seed)
{
    if (seed == Seed) return;
    Seed = seed;
    DayPrefix.clear();
}

int TSimLoad::SlotTariff(qint64 slot)
{
    const int hour = int(((slot % kSlotsPerDay) + kSlotsPerDay) % kSlotsPerDay) / 2;
    if (hour >= 23 || hour < 7) return 1;
    if ((hour >= 7 && hour < 10) || (hour >= 17 && hour < 21)) return 0;
    return 2;
}

TSimLoad::TCounts TSimLoad::Slot(qint64 slot) const
{
    if (slot < 0) return {};
    const qint64 day = slot / kSlotsPerDay;
    const int hour = int(slot % kSlotsPerDay) / 2;
    const bool weekend = (day + 5) % 7 >= 5;   // 2000-01-01 was a Saturday
    // More in winter (around mid-January), less in summer.
    const double season = 1.0 + 0.25 * std::cos(2 * M_PI * (std::fmod(double(day), 365.2425) - 15) / 365.2425);
    const quint64 h = Mix(quint64(slot) ^ (quint64(Seed) << 32));
    const double noise = 0.7 + 0.6 * double(h & 0xFFFF) / 65535.0;
    const double watts = kHourWatts[hour] * (weekend ? 1.15 : 1.0) * season * noise;

    TCounts c{};
    c[0] = std::llround(watts * kCountsPerWattSlot);
    c[1] = ((h >> 24) % 23 == 0) ? qint64((h >> 32) % 40) : 0;
    c[2] = std::llround(double(c[0]) * (0.25 + 0.2 * double((h >> 16) & 0xFF) / 255.0));
    c[3] = ((h >> 40) % 11 == 0) ? qint64((h >> 48) % 25) : 0;
    return c;
}

void TSimLoad::ExtendPrefix(qint64 day) const
{
    if (DayPrefix.empty()) DayPrefix.push_back({});
    while (qint64(DayPrefix.size()) <= day) {
        const qint64 d = qint64(DayPrefix.size()) - 1;
        std::array<qint64, 16> next = DayPrefix.back();
        for (qint64 s = d * kSlotsPerDay; s < (d + 1) * kSlotsPerDay; ++s) {
            const TCounts c = Slot(s);
            const int t = SlotTariff(s);
            for (int dir = 0; dir < 4; ++dir) next[size_t(t * 4 + dir)] += c[size_t(dir)];
        }
        DayPrefix.push_back(next);
    }
}

TSimLoad::TCounts TSimLoad::Cumulative(qint64 t, int tariff) const
{
    TCounts sum{};
    if (t <= 0) return sum;
    const qint64 day = t / 86400;
    ExtendPrefix(day);
    const std::array<qint64, 16>& prefix = DayPrefix[size_t(day)];
    for (int tr = 0; tr < 4; ++tr) {
        if (tariff != 0 && tariff != tr + 1) continue;
        for (int dir = 0; dir < 4; ++dir) sum[size_t(dir)] += prefix[size_t(tr * 4 + dir)];
    }
    const qint64 lastSlot = t / kSlotSecs;
    for (qint64 s = day * kSlotsPerDay; s <= lastSlot; ++s) {
        if (tariff != 0 && SlotTariff(s) != tariff - 1) continue;
        const qint64 elapsed = qMin(kSlotSecs, t - s * kSlotSecs);
        if (elapsed <= 0) break;
        const TCounts c = Slot(s);
        // A running slot contributes in proportion to its elapsed part.
        for (int dir = 0; dir < 4; ++dir) sum[size_t(dir)] += c[size_t(dir)] * elapsed / kSlotSecs;
    }
    return sum;
}
