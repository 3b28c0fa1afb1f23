#include "connection/str_prm.h"

int TStrPrm::NextField(QString& field)
{
    if (Exhausted) return -1;
    const int comma = Rest.indexOf(QLatin1Char(','));
    if (comma < 0) {
        field = Rest;
        Rest.clear();
        Exhausted = true;
    } else {
        field = Rest.left(comma);
        Rest = Rest.mid(comma + 1);
    }
    return field.size();
}

int TStrPrm::ReadText(QString& target)
{
    QString field;
    const int n = NextField(field);
    if (n > 0) target = field;
    return n;
}

template <typename T>
int TStrPrm::ReadNumber(T& target)
{
    QString field;
    const int n = NextField(field);
    if (n <= 0) return n;
    bool ok = false;
    const long long value = field.trimmed().toLongLong(&ok, 10);
    if (ok) target = static_cast<T>(value);  // stored into the target's width
    return n;
}

int TStrPrm::ReadByte(uint8_t& target) { return ReadNumber(target); }
int TStrPrm::ReadInt(int& target) { return ReadNumber(target); }
int TStrPrm::ReadUInt(uint32_t& target) { return ReadNumber(target); }

int TStrPrm::ReadBool(bool& target)
{
    long long value = target ? 1 : 0;
    const int n = ReadNumber(value);
    if (n < 0) target = true;
    else if (n > 0) target = value != 0;
    return n;
}

void TStrPrm::AddNumber(long long n) { AddText(QString::number(n)); }

void TStrPrm::AddText(const QString& text)
{
    Written += QString(Pending, QLatin1Char(','));
    Written += text;
    Pending = 1;
}
