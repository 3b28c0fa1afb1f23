#pragma once
#include <QtGlobal>
#include <array>
#include <vector>

// The household load the simulated meter measures. Each half-hour slot has
// one fixed energy sample (derived from the slot number and a per-meter
// seed), so registers, load profile, maxima and averaged powers all come from
// the same numbers and agree with each other.
//
// Time is meter time in seconds from 2000-01-01 00:00:00; energy is counted
// in 0.1 Wh (varh) steps, the meter's count weight of 100.
class TSimLoad {
public:
    static constexpr qint64 kSlotSecs = 1800;
    static constexpr int kSlotsPerDay = 48;
    using TCounts = std::array<qint64, 4>;   // E+, E-, R+, R-

    void SetSeed(quint32 seed);
    TCounts Slot(qint64 slot) const;
    // Tariff 0..3 (T1..T4) in force during a slot: T1 07-10 and 17-21,
    // T2 23-07, T3 the rest; T4 is left free.
    static int SlotTariff(qint64 slot);
    // Energy from 2000-01-01 up to time t, of one tariff (1..4) or of all (0).
    TCounts Cumulative(qint64 t, int tariff) const;

private:
    void ExtendPrefix(qint64 day) const;

    quint32 Seed = 0;
    // DayPrefix[d][tariff * 4 + direction]: energy of the days before day d.
    mutable std::vector<std::array<qint64, 16>> DayPrefix;
};
