#pragma once
#include "connection/port.h"

#include <QString>
#include <memory>

// A connection string parsed into its transport and link settings:
//   [name "="] type ["[" address, repetitions, mask, framing "]"] ["(" port parameters ")"]
struct TParsedConnection {
    std::unique_ptr<TPort> Port;
    QString Name;
    uint8_t NetAddress = 0;
    uint8_t Repetitions = 0;
    QString Mask;
    uint8_t Framing = 0;  // 1 extended, else 0
};

// The factory; raises the transport's errors or "Не могу создать соединение '...'".
TParsedConnection ParseConnection(const QString& text);
uint8_t GetNetAddress(const QString& text);
QString SetNetAddress(const QString& text, int address);

// Builds a transport of the given type keyword from its parameter text.
std::unique_ptr<TPort> CreatePort(TPortType type, const QString& params);
