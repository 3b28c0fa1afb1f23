#pragma once
#include <QByteArray>
#include <QDate>
#include <QDateTime>

// Meter time is the meter's own wall-clock time without a time zone, kept as
// seconds from 2000-01-01 00:00:00 so that day and slot arithmetic is plain
// integer arithmetic.
qint64 ToMeterSecs(const QDateTime& t);
qint64 ToMeterSecs(const QDate& d);
QDateTime FromMeterSecs(qint64 secs);
QDate MeterDate(qint64 secs);

// The six-byte form: seconds, minutes, hours, day, month, year - 2000.
QByteArray EncodeMeterTime(qint64 secs);
// False unless the six bytes at `offset` are a real date and time.
bool DecodeMeterTime(const QByteArray& bytes, int offset, qint64* secs);
