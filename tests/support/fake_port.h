#pragma once
#include "connection/port.h"

#include <QByteArray>
#include <QList>
#include <functional>

// A transport for unit tests: records every frame sent and answers from a
// queue of canned replies or from a responder function.
class TFakePort : public TPort {
public:
    // Given the frame just sent, returns the bytes the "meter" answers.
    using Responder = std::function<QByteArray(const QByteArray& frame)>;

    int Open() override { ++Opens; return OpenResult; }
    void Close() override { ++Closes; }
    int Send(const uint8_t* data, int count) override;
    int Receive(uint8_t* buffer, int max, int timeoutMs) override;
    void Purge() override { Pending.clear(); }
    uint8_t TypeId() const override { return Type; }
    bool SameAs(const TPort& other) const override;

    QList<QByteArray> Sent;          // every frame in order
    QList<QByteArray> Replies;       // taken one per sent frame when no responder
    Responder Respond;
    int AcceptLimit = -1;            // Send accepts at most this many bytes (-1: all)
    int ChunkSize = 0;               // Receive hands out at most this many bytes per call (0: all)
    QList<int> ReceiveTimeouts;      // time-out of every Receive call
    int OpenResult = 0;
    int Opens = 0;
    int Closes = 0;
    uint8_t Type = ptRS232;
    int Tag = 0;                     // compared by SameAs

private:
    QByteArray Pending;
};
