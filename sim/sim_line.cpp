#include "sim/sim_line.h"

#include "sim/sim_bus.h"
#include "sim/sim_frame.h"

namespace {

// Leftovers only need to go before the next command line or escape; a frame
// is found behind garbage anyway. Generous, so that a slow sender is not cut.
constexpr int kSilenceMs = 100;
// The echo of a 2-wire line must reach the utility as a read of its own.
constexpr int kReplyAfterEchoMs = 100;
// Nobody reads that much without a frame in it.
constexpr int kMaxReceived = 1024;

}  // namespace

TSimLine::TSimLine(TSimBus& bus, const TSimOptions& options, int& replyCount, Writer write, QObject* parent)
    : QObject(parent), Bus(bus), Faults(options.Faults), ReplyCount(replyCount), Write(std::move(write))
{
    if (options.Modem.Enabled) Modem.emplace(options.Modem);
    Silence.setSingleShot(true);
    Silence.setInterval(kSilenceMs);
    connect(&Silence, &QTimer::timeout, this, [this] { Received.clear(); });
    Pause.setSingleShot(true);
    connect(&Pause, &QTimer::timeout, this, &TSimLine::Pump);
}

void TSimLine::Receive(const QByteArray& bytes)
{
    Received += bytes;
    if (Received.size() > kMaxReceived) Received.remove(0, Received.size() - kMaxReceived);
    Silence.start();
    if (Modem && !Modem->Online()) {
        Queue(Modem->Command(Received));
        return;
    }
    if (Modem && Modem->IsEscape(Received)) {
        Received.clear();
        Queue({{0, Modem->Escape()}});
        return;
    }
    HandleRequest();
}

void TSimLine::HandleRequest()
{
    const std::optional<TSimRequest> request = SimFindRequest(Received);
    if (!request) return;
    Received.clear();
    Silence.stop();

    QList<TSimPiece> pieces;
    if (Faults.Echo) pieces.append({0, request->Frame});
    const QByteArray reply = Faults.Silent ? QByteArray() : Bus.Answer(*request);
    if (reply.isEmpty()) {
        Queue(pieces);
        return;
    }
    QByteArray bytes = Faulty(reply, SimCrcInverted(request->Framing));
    int delay = Faults.DelayMs + (Faults.Echo ? kReplyAfterEchoMs : 0);
    const int pieceCount = qMin(Faults.SplitPieces, int(bytes.size()));
    for (int i = 0; i < pieceCount; ++i) {
        const int from = int(bytes.size()) * i / pieceCount;
        const int to = int(bytes.size()) * (i + 1) / pieceCount;
        pieces.append({delay, bytes.mid(from, to - from)});
        delay = Faults.SplitGapMs;
    }
    Queue(pieces);
}

QByteArray TSimLine::Faulty(QByteArray reply, bool inverted)
{
    ++ReplyCount;
    // A collision already fails its CRC; flipping it again could mend it.
    if (Faults.BadCrcEvery > 0 && ReplyCount % Faults.BadCrcEvery == 0 && SimCrcValid(reply, inverted))
        reply[reply.size() - 1] = char(~uint8_t(reply.at(reply.size() - 1)));
    if (Faults.Drop > 0) {
        const int count = qMin(Faults.Drop, int(reply.size()));
        reply.remove(Faults.DropMiddle ? (int(reply.size()) - count) / 2 : int(reply.size()) - count, count);
    }
    if (Modem && Modem->LosesCarrierIn()) reply = reply.left(reply.size() / 2) + Modem->LoseCarrier();
    return reply;
}

void TSimLine::Queue(const QList<TSimPiece>& pieces)
{
    const bool idle = Pending.isEmpty() && !Pause.isActive();
    Pending += pieces;
    if (idle) Pump();
}

void TSimLine::Pump()
{
    while (!Pending.isEmpty()) {
        TSimPiece& piece = Pending.first();
        if (piece.DelayMs > 0) {
            Pause.start(piece.DelayMs);
            piece.DelayMs = 0;
            return;
        }
        if (!piece.Bytes.isEmpty()) Write(piece.Bytes);
        Pending.removeFirst();
    }
}
