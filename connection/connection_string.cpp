#include "connection/connection_string.h"

#include "common/error.h"
#include "connection/modem.h"
#include "connection/serial_port.h"
#include "connection/str_prm.h"
#include "connection/xport.h"

namespace {

struct TTypeKeyword {
    const char* keyword;  // UTF-8
    TPortType type;
};

// Tested in this order: the first keyword the text starts with wins.
const TTypeKeyword kKeywords[] = {
    {"Opto", ptOpto}, {"RS232", ptRS232}, {"RS485", ptRS485}, {"MBUS", ptMBUS},
    {"Модем", ptModem}, {"PLCModem", ptPLCModem}, {"CL", ptCL}, {"XPort", ptXPort},
};

[[noreturn]] void CannotCreate(const QString& rest)
{
    throw TError(QStringLiteral("Не могу создать соединение '") + rest + QLatin1Char('\''));
}

void SplitName(const QString& text, QString* name, QString* rest)
{
    const int eq = text.indexOf(QLatin1Char('='));
    *name = eq >= 0 ? text.left(eq) : QString();
    *rest = eq >= 0 ? text.mid(eq + 1) : text;
}

}  // namespace

std::unique_ptr<TPort> CreatePort(TPortType type, const QString& params)
{
    switch (type) {
    case ptOpto: return std::make_unique<TOpto>(params);
    case ptRS232: return std::make_unique<TRS232>(params);
    case ptRS485: return std::make_unique<TRS485>(params);
    case ptMBUS: return std::make_unique<TMBUS>(params);
    case ptModem: return std::make_unique<TModem>(params);
    case ptPLCModem: return std::make_unique<TPLCModem>(params);
    case ptCL: return std::make_unique<TCL>(params);
    case ptXPort: return std::make_unique<TXPort>(params);
    default: return std::make_unique<TUnknownPort>();
    }
}

TParsedConnection ParseConnection(const QString& text)
{
    TParsedConnection result;
    QString rest;
    SplitName(text, &result.Name, &rest);

    const TTypeKeyword* found = nullptr;
    for (const TTypeKeyword& k : kKeywords) {
        if (rest.startsWith(QString::fromUtf8(k.keyword))) { found = &k; break; }
    }
    if (!found) CannotCreate(rest);
    rest = rest.mid(QString::fromUtf8(found->keyword).size());

    if (rest.startsWith(QLatin1Char('['))) {
        const int close = rest.indexOf(QLatin1Char(']'));
        if (close < 0) CannotCreate(rest);
        TStrPrm list(rest.mid(1, close - 1));
        list.ReadByte(result.NetAddress);
        list.ReadByte(result.Repetitions);
        list.ReadText(result.Mask);
        list.ReadByte(result.Framing);
        if (result.Framing != 1) result.Framing = 0;
        rest = rest.mid(close + 1);
    }

    QString params;
    if (rest.startsWith(QLatin1Char('('))) {
        const int close = rest.indexOf(QLatin1Char(')'));
        if (close < 0) CannotCreate(rest);
        params = rest.mid(1, close - 1);
    }
    result.Port = CreatePort(found->type, params);
    return result;
}

uint8_t GetNetAddress(const QString& text) { return ParseConnection(text).NetAddress; }

QString SetNetAddress(const QString& text, int address)
{
    if (address < 0 || address > 255) return text;
    QString name, rest;
    SplitName(text, &name, &rest);
    const QString number = QString::number(address);
    const int bracket = rest.indexOf(QLatin1Char('['));
    if (bracket >= 0) {
        QString after = rest.mid(bracket + 1);
        int end = 0;
        while (end < after.size() && after[end] != QLatin1Char(']') && after[end] != QLatin1Char(',')) ++end;
        return name + QLatin1Char('=') + rest.left(bracket) + QLatin1Char('[') + number + after.mid(end);
    }
    const int paren = rest.indexOf(QLatin1Char('('));
    const QString type = paren >= 0 ? rest.left(paren) : rest;
    const QString remaining = paren >= 0 ? rest.mid(paren) : QString();
    return name + QLatin1Char('=') + type + QLatin1Char('[') + number + QLatin1Char(']') + remaining;
}
