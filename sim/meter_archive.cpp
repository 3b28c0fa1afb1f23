#include "sim/meter.h"
#include "sim/meter_bytes.h"
#include "sim/meter_clock.h"

namespace {

constexpr int kArchiveRecords = 33;
constexpr qint64 kDay = 86400;

}  // namespace

// A few events a meter in service would have collected: voltage dips and an
// overload in the network archive, a restart in the error archive, the
// factory settings and a clock setting in the correction archive.
void SimMeter::LoadFactoryArchives()
{
    const qint64 now = Now();
    const qint64 made = ProductionTime();
    Archives[0] = {{now - 2 * kDay - 3 * 3600, 0x0001, 0}, {now - 9 * kDay + 1200, 0x0001, 0},
                   {now - 20 * kDay + 7000, 0x0008, 0}, {now - 41 * kDay - 500, 0x0004, 0}};
    Archives[1] = {{now - 15 * kDay + 4321, 0x0010, 0x04}, {now - 60 * kDay, 0x0002, 0}};
    Archives[2] = {{now - 30 * kDay + 600, 0x0008, 0}, {made + 1800, 0x0080, 0x23}, {made, 0x0080, 0x03}};
}

void SimMeter::AddEvent(int param, uint16_t events, uint8_t detail)
{
    QVector<TArchiveRecord>& records = Archives[param - 14];
    records.prepend({Now(), events, detail});
    if (records.size() > kArchiveRecords) records.resize(kArchiveRecords);
}

// 14 network state, 15 errors, 16 corrections. a1 = record offset 0 (newest)
// down to -32. Record: six-byte date-time, event bits u16, detail bits, a
// reserved byte. Offset 0 of 14 and 15 is the live state at the present
// moment; a record the meter does not hold answers status 5.
SimReply SimMeter::ReadArchive(const TArgs& a) const
{
    const int offset = -int(int8_t(a.A1));
    if (offset < 0 || offset >= kArchiveRecords) return {3, {}};
    const int which = a.Param - 14;
    TArchiveRecord record;
    if (which < 2 && offset == 0) {
        record = {Now(), StateWords[which], 0};
    } else {
        const int i = which < 2 ? offset - 1 : offset;
        if (i >= Archives[which].size()) return {5, {}};
        record = Archives[which][i];
    }
    QByteArray b = EncodeMeterTime(record.Time);
    AppendU16(b, record.Events);
    b.append(char(record.Detail));
    b.append(char(0));
    return {0, b};
}
