#pragma once
#include <QDateTime>
#include <QString>
#include <cstdint>

// Date-time in meter order: seconds, minutes, hours, day, month, year - 2000,
// each a plain binary byte.
constexpr int kDateTimeSize = 6;
void EncodeDateTime(const QDateTime& value, uint8_t* out);
// Never fails: zero month and day read as 1, an impossible date as
// 2000-01-01, an impossible time as 00:00:00.
QDateTime DecodeDateTime(const uint8_t* data);

// Little-endian fields of meter records.
uint16_t GetUInt16(const uint8_t* data);
uint32_t GetUInt32(const uint8_t* data);
int32_t GetInt32(const uint8_t* data);
float GetFloat(const uint8_t* data);
void PutUInt16(uint8_t* out, uint16_t value);
void PutUInt32(uint8_t* out, uint32_t value);
void PutFloat(uint8_t* out, float value);

// Fixed-width text: the first width characters, or the text padded with spaces.
QString PadRight(const QString& text, int width);
