#pragma once
#include <QByteArray>
#include <cstdint>
#include <cstring>

// Little-endian fields of the meter's parameter records.
inline uint8_t ByteAt(const QByteArray& b, int at)
{
    return at < b.size() ? uint8_t(b.at(at)) : 0;
}

inline uint32_t GetU32(const QByteArray& b, int at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b.at(at + i));
    return v;
}

inline uint16_t GetU16(const QByteArray& b, int at)
{
    return uint16_t(uint8_t(b.at(at)) | uint8_t(b.at(at + 1)) << 8);
}

inline void PutU32(QByteArray& b, int at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

inline void PutU16(QByteArray& b, int at, uint16_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

inline void AppendU32(QByteArray& b, uint32_t v)
{
    b.append(4, 0);
    PutU32(b, b.size() - 4, v);
}

inline void AppendU16(QByteArray& b, uint16_t v)
{
    b.append(2, 0);
    PutU16(b, b.size() - 2, v);
}

inline void AppendFloat(QByteArray& b, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    AppendU32(b, v);
}
