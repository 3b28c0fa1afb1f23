#include "connection/crc.h"

#include <array>

namespace {

struct Crc16Tables {
    std::array<uint8_t, 256> hi{};
    std::array<uint8_t, 256> lo{};
    Crc16Tables()
    {
        for (int i = 0; i < 256; ++i) {
            uint16_t crc = uint16_t(i);
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
            lo[i] = uint8_t(crc & 0xFF);
            hi[i] = uint8_t(crc >> 8);
        }
    }
};

struct Crc8Table {
    std::array<uint8_t, 256> t{};
    Crc8Table()
    {
        for (int i = 0; i < 256; ++i) {
            uint8_t crc = uint8_t(i);
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? uint8_t((crc >> 1) ^ 0x8C) : uint8_t(crc >> 1);
            t[i] = crc;
        }
    }
};

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t count)
{
    static const Crc16Tables tables;
    // Running value kept as two bytes: low holds the register's low byte.
    uint8_t low = 0xFF, high = 0xFF;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t index = low ^ data[i];
        low = high ^ tables.lo[index];
        high = tables.hi[index];
    }
    return uint16_t((high << 8) | low);
}

uint8_t Crc8(const uint8_t* data, size_t count)
{
    static const Crc8Table table;
    uint8_t crc = 0;
    for (size_t i = 0; i < count; ++i) crc = table.t[crc ^ data[i]];
    return crc;
}
