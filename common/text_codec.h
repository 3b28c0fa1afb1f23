#pragma once
#include <QByteArray>
#include <QString>

// Text files written on other systems come in UTF-8 or in the Cyrillic
// single-byte code page cp1251; these helpers read both and write cp1251.
QString DecodeCp1251(const QByteArray& bytes);
QByteArray EncodeCp1251(const QString& text);  // unmappable characters become '?'
bool IsValidUtf8(const QByteArray& bytes);
// UTF-8 when the bytes are valid UTF-8 (a BOM is dropped), cp1251 otherwise.
QString DecodeTextFile(const QByteArray& bytes);
