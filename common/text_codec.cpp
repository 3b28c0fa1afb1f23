#include "common/text_codec.h"

#include <QStringDecoder>

namespace {

// Upper half 0x80..0xBF of cp1251; 0xC0..0xFF are А..я in order.
const char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t Cp1251ToUnicode(unsigned char c)
{
    if (c < 0x80) return c;
    if (c >= 0xC0) return char16_t(0x0410 + (c - 0xC0));
    return kCp1251High[c - 0x80];
}

}  // namespace

QString DecodeCp1251(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) out.append(QChar(Cp1251ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

QByteArray EncodeCp1251(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) { out.append(char(u)); continue; }
        if (u >= 0x0410 && u <= 0x044F) { out.append(char(0xC0 + (u - 0x0410))); continue; }
        char mapped = '?';
        for (int i = 0; i < 64; ++i)
            if (kCp1251High[i] == u && u != 0xFFFD) { mapped = char(0x80 + i); break; }
        out.append(mapped);
    }
    return out;
}

bool IsValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

QString DecodeTextFile(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    if (IsValidUtf8(body)) return QString::fromUtf8(body);
    return DecodeCp1251(body);
}
