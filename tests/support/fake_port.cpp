#include "support/fake_port.h"

#include <cstring>

int TFakePort::Send(const uint8_t* data, int count)
{
    const QByteArray frame(reinterpret_cast<const char*>(data), count);
    Sent.append(frame);
    if (Respond) Pending = Respond(frame);
    else if (!Replies.isEmpty()) Pending = Replies.takeFirst();
    else Pending.clear();
    return AcceptLimit >= 0 && AcceptLimit < count ? AcceptLimit : count;
}

int TFakePort::Receive(uint8_t* buffer, int max, int timeoutMs)
{
    ReceiveTimeouts.append(timeoutMs);
    int n = qMin<int>(max, Pending.size());
    if (ChunkSize > 0) n = qMin(n, ChunkSize);
    std::memcpy(buffer, Pending.constData(), size_t(n));
    Pending.remove(0, n);
    return n;
}

bool TFakePort::SameAs(const TPort& other) const
{
    return static_cast<const TFakePort&>(other).Tag == Tag;
}
