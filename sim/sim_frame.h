#pragma once
#include "connection/crc.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <optional>

// The meter's side of the link framing. Kept header-only so that unit tests
// can check it without linking the simulator program.

enum class TSimFraming { Plain, Serial, ExtendedAddress, ExtendedSerial };

struct TSimRequest {
    TSimFraming Framing = TSimFraming::Plain;
    uint8_t Address = 0;     // plain and extended-by-address framings
    QByteArray SerialMask;   // serial-number framings, 8 characters
    uint8_t Sequence = 0;    // extended framings
    QByteArray Body;         // [cmd][param][...]
    QByteArray Frame;        // the request as it came off the line
};

constexpr uint8_t kSimFrameStart0 = 0xFF;
constexpr uint8_t kSimFrameStart1 = 0x7F;
constexpr uint8_t kSimFlagExtended = 0x01;
constexpr uint8_t kSimFlagByAddress = 0x02;
constexpr int kSimSerialLength = 8;

inline bool SimCrcInverted(TSimFraming framing) { return framing != TSimFraming::Plain; }

inline uint16_t SimFrameCrc(const QByteArray& covered, bool inverted)
{
    const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(covered.constData()), size_t(covered.size()));
    return inverted ? uint16_t(~crc) : crc;
}

// High byte first, the opposite of the usual Modbus order.
inline QByteArray SimAppendCrc(QByteArray frame, bool inverted)
{
    const uint16_t crc = SimFrameCrc(frame, inverted);
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

inline bool SimCrcValid(const QByteArray& frame, bool inverted)
{
    if (frame.size() < 3) return false;
    const uint16_t got = uint16_t(uint8_t(frame.at(frame.size() - 2)) << 8 | uint8_t(frame.at(frame.size() - 1)));
    return got == SimFrameCrc(frame.left(frame.size() - 2), inverted);
}

// One whole request frame, or nothing when it is not one. A body holds at
// least the command and parameter bytes.
inline std::optional<TSimRequest> SimParseRequest(const QByteArray& frame)
{
    const int n = int(frame.size());
    auto u = [&frame](int i) { return uint8_t(frame.at(i)); };
    TSimRequest request;
    request.Frame = frame;
    if (n >= 3 && u(0) == kSimFrameStart0 && u(1) == kSimFrameStart1 && SimCrcValid(frame, true)) {
        const uint8_t flags = u(2);
        const bool extended = flags & kSimFlagExtended;
        const bool byAddress = flags & kSimFlagByAddress;
        const int header = 3 + (extended ? 2 : 0) + (byAddress ? 2 : kSimSerialLength);
        const bool shapeOk = (flags & ~(kSimFlagExtended | kSimFlagByAddress)) == 0 && (extended || !byAddress)
            && n >= header + 2 + 2 && (!extended || u(3) == n) && (!byAddress || u(header - 2) == 0);
        if (shapeOk) {
            request.Framing = extended ? (byAddress ? TSimFraming::ExtendedAddress : TSimFraming::ExtendedSerial)
                                       : TSimFraming::Serial;
            if (extended) request.Sequence = u(4);
            if (byAddress) request.Address = u(header - 1);
            else request.SerialMask = frame.mid(header - kSimSerialLength, kSimSerialLength);
            request.Body = frame.mid(header, n - header - 2);
            return request;
        }
    }
    if (n >= 1 + 2 + 2 && SimCrcValid(frame, false)) {
        request.Framing = TSimFraming::Plain;
        request.Address = u(0);
        request.Body = frame.mid(1, n - 3);
        return request;
    }
    return std::nullopt;
}

// A line delivers a byte stream: the request is the valid frame that ends
// with the last byte received, after any leftover garbage.
inline std::optional<TSimRequest> SimFindRequest(const QByteArray& received)
{
    for (int start = 0; start < received.size(); ++start) {
        if (auto request = SimParseRequest(received.mid(start))) return request;
    }
    return std::nullopt;
}

inline bool SimMaskMatches(const QByteArray& mask, const QByteArray& serial)
{
    if (mask.size() != kSimSerialLength || serial.size() != kSimSerialLength) return false;
    for (int i = 0; i < kSimSerialLength; ++i) {
        if (mask.at(i) != '?' && mask.at(i) != serial.at(i)) return false;
    }
    return true;
}

// The reply has the request's framing and carries the answering meter's own
// serial number in the serial-number framings.
inline QByteArray SimBuildReply(const TSimRequest& request, const QByteArray& serial, uint8_t status,
                                const QByteArray& data)
{
    QByteArray frame;
    if (request.Framing != TSimFraming::Plain) {
        frame.append(char(kSimFrameStart0));
        frame.append(char(kSimFrameStart1));
        frame.append(request.Framing == TSimFraming::Serial ? char(0)
                     : request.Framing == TSimFraming::ExtendedSerial ? char(kSimFlagExtended)
                                                                      : char(kSimFlagExtended | kSimFlagByAddress));
    }
    const bool extended =
        request.Framing == TSimFraming::ExtendedAddress || request.Framing == TSimFraming::ExtendedSerial;
    if (extended) {
        frame.append(char(0));   // length, set below
        frame.append(char(request.Sequence));
    }
    if (request.Framing == TSimFraming::Plain) {
        frame.append(char(request.Address));
    } else if (request.Framing == TSimFraming::ExtendedAddress) {
        frame.append(char(0));
        frame.append(char(request.Address));
    } else {
        frame.append(serial.left(kSimSerialLength));
    }
    frame.append(request.Body.left(2));
    frame.append(char(status));
    frame.append(data);
    if (extended) frame[3] = char(frame.size() + 2);
    return SimAppendCrc(frame, SimCrcInverted(request.Framing));
}

// Meters talking at once: the receiver gets the bitwise OR of their replies,
// a deterministic garble. It must never pass the CRC, or a search would take
// it for a single meter.
inline QByteArray SimCollide(const QList<QByteArray>& replies, TSimFraming framing)
{
    QByteArray garbled;
    for (const QByteArray& reply : replies) {
        if (reply.size() > garbled.size()) garbled.append(QByteArray(reply.size() - garbled.size(), '\0'));
        for (int i = 0; i < reply.size(); ++i) garbled[i] = char(uint8_t(garbled.at(i)) | uint8_t(reply.at(i)));
    }
    if (!garbled.isEmpty() && SimCrcValid(garbled, SimCrcInverted(framing)))
        garbled[garbled.size() - 1] = char(uint8_t(garbled.at(garbled.size() - 1)) ^ 0x01);
    return garbled;
}
