#include "sim/meter.h"
#include "sim/meter_clock.h"

#include "device/field_codecs.h"

namespace {

const QDateTime kEpoch(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);

// A correction this small may be written without a password session.
constexpr qint64 kFreeCorrectionSecs = 30;

}  // namespace

qint64 ToMeterSecs(const QDateTime& t)
{
    return kEpoch.secsTo(QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()), Qt::UTC));
}

qint64 ToMeterSecs(const QDate& d)
{
    return kEpoch.secsTo(QDateTime(d, QTime(0, 0), Qt::UTC));
}

QDateTime FromMeterSecs(qint64 secs)
{
    return kEpoch.addSecs(secs);
}

QDate MeterDate(qint64 secs)
{
    return FromMeterSecs(secs).date();
}

QByteArray EncodeMeterTime(qint64 secs)
{
    QByteArray b(6, 0);
    EncodeDateTime(FromMeterSecs(secs), reinterpret_cast<uint8_t*>(b.data()));
    return b;
}

bool DecodeMeterTime(const QByteArray& bytes, int offset, qint64* secs)
{
    if (bytes.size() < offset + 6) return false;
    const auto at = [&](int i) { return int(uint8_t(bytes[offset + i])); };
    const QDate date(2000 + at(5), at(4), at(3));
    const QTime time(at(2), at(1), at(0));
    if (!date.isValid() || !time.isValid()) return false;
    *secs = ToMeterSecs(QDateTime(date, time, Qt::UTC));
    return true;
}

qint64 SimMeter::Now() const
{
    if (FrozenTime >= 0) return FrozenTime;
    return ToMeterSecs(QDateTime::currentDateTime()) + ClockOffset;
}

void SimMeter::FreezeClock(const QDateTime& meterTime)
{
    FrozenTime = meterTime.isValid() ? ToMeterSecs(meterTime) : -1;
}

qint64 SimMeter::ProductionTime() const
{
    qint64 t = 0;
    DecodeMeterTime(StoredValue(19), 0, &t);
    return t;
}

// Parameter 32: the six-byte date and time.
SimReply SimMeter::ReadClock(const TArgs&) const
{
    return {0, EncodeMeterTime(Now())};
}

// Index 0 corrects the clock by a few seconds and needs no session (the
// utility tries it first when synchronising); index 2 sets any time and needs
// the main password.
uint8_t SimMeter::WriteClock(const TArgs& a)
{
    qint64 t = 0;
    if (a.Data.size() != 6 || !DecodeMeterTime(a.Data, 0, &t)) return 3;
    if (a.Index == 0) {
        if (qAbs(t - Now()) > kFreeCorrectionSecs) return 3;
    } else if (a.Index == 2) {
        if (SessionLevel != 0) return 4;
    } else {
        return 3;
    }
    if (FrozenTime >= 0)
        FrozenTime = t;
    else
        ClockOffset = t - ToMeterSecs(QDateTime::currentDateTime());
    return 0;
}
