#include "device/field_codecs.h"

#include <cstring>

void EncodeDateTime(const QDateTime& value, uint8_t* out)
{
    const QDate date = value.date();
    const QTime time = value.time();
    out[0] = uint8_t(time.second());
    out[1] = uint8_t(time.minute());
    out[2] = uint8_t(time.hour());
    out[3] = uint8_t(date.day());
    out[4] = uint8_t(date.month());
    out[5] = uint8_t((date.year() - 2000) & 0xFF);
}

QDateTime DecodeDateTime(const uint8_t* data)
{
    const int month = data[4] == 0 ? 1 : data[4];
    const int day = data[3] == 0 ? 1 : data[3];
    QDate date(2000 + data[5], month, day);
    if (!date.isValid()) date = QDate(2000, 1, 1);
    QTime time(data[2], data[1], data[0]);
    if (!time.isValid()) time = QTime(0, 0, 0);
    return QDateTime(date, time);
}

uint16_t GetUInt16(const uint8_t* data) { return uint16_t(data[0] | (data[1] << 8)); }

uint32_t GetUInt32(const uint8_t* data)
{
    return uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16) | (uint32_t(data[3]) << 24);
}

int32_t GetInt32(const uint8_t* data) { return int32_t(GetUInt32(data)); }

float GetFloat(const uint8_t* data)
{
    const uint32_t bits = GetUInt32(data);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutUInt16(uint8_t* out, uint16_t value)
{
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

void PutUInt32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[i] = uint8_t(value >> (8 * i));
}

void PutFloat(uint8_t* out, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutUInt32(out, bits);
}

QString PadRight(const QString& text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '), true);
}
