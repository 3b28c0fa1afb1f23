#pragma once
#include "common/error.h"
#include "common/wait_hook.h"
#include "connection/connection.h"

#include <QString>
#include <QStringList>
#include <functional>

// Search of one bus for meters by serial-number masks. Every meter whose
// number matches the mask answers; simultaneous answers collide into a frame
// that fails its checks, so a collision refines the next position of the mask
// and a clean answer names a meter. Header-only, so the link-level tests use
// it without the widget libraries.

enum class TProbeResult { Nothing, One, Several };

constexpr int kSerialLength = 8;

// Advances position p (0-based) of the mask between the bounds' characters at
// p: "?" starts at lo; the digits continue with "A" after "9"; false at hi.
// A character already past hi fails too, so bounds with lo above hi cannot
// run away through the whole character set.
inline bool AdvanceMaskChar(QString& mask, int p, QChar lo, QChar hi)
{
    const QChar c = mask.at(p);
    if (c == QLatin1Char('?')) {
        mask[p] = lo;
        return true;
    }
    if (c >= hi) return false;
    char16_t next = char16_t(c.unicode() + 1);
    if (next > u'9' && next < u'A') next = u'A';
    mask[p] = QChar(next);
    return true;
}

// The mask as a decimal number for the progress bar: characters above "9"
// (the wildcard included) count as 9, below "0" as 0.
inline qint64 MaskProgress(const QString& mask)
{
    qint64 value = 0;
    for (const QChar c : mask) value = value * 10 + qBound(0, c.unicode() - '0', 9);
    return value;
}

class TMeterSearch {
public:
    explicit TMeterSearch(TConnection& link) : Link(link) {}

    QString LoSN;          // padded with "0" to 8 characters
    QString HiSN;          // padded with "9"
    int CountLimit = 0;    // 0: all meters
    int TimeoutMs = 300;   // reply time-out of one probe
    std::function<void(const QString& serial)> OnFound;
    std::function<void(qint64 position)> OnProgress;

    // Connects the link with the connection string. The probes need the
    // serial-number framing whatever addressing the string carries.
    void Connect(const QString& connection)
    {
        Link.Connect(connection);
        Link.SetAddressing(Link.GetNetAddress(), Link.GetAttempts(), QString(kSerialLength, QLatin1Char('?')),
                           Link.GetProtocol());
    }

    // One request for the meter type under the link's current mask.
    TProbeResult Probe()
    {
        TLinkRequest request;
        request.Body[0] = 3;  // read parameter 0
        request.BodyLength = 5;
        request.ReplyLength = 18;
        request.TimeoutMs = TimeoutMs;
        try {
            Link.ExchangeFixed(request);
            return TProbeResult::One;
        } catch (const TError& e) {
            // Only the link's own failures are answers; a port that fails
            // or a cancel ends the search.
            if (e.Message == LinkFailureMessage(lfCrc)) return TProbeResult::Several;
            for (int code : {lfNoPort, lfTransmit, lfNoReply, lfEcho})
                if (e.Message == LinkFailureMessage(code)) return TProbeResult::Nothing;
            throw;
        }
    }

    // Depth first: a position advances while its masks stay silent, a
    // collision moves on to the next position, an exhausted position falls
    // back to the one before. Ends when the range is done, the count limit is
    // met or the user cancels; link errors other than the cancel propagate.
    void Run()
    {
        const QString lo = LoSN.leftJustified(kSerialLength, QLatin1Char('0'), true);
        const QString hi = HiSN.leftJustified(kSerialLength, QLatin1Char('9'), true);
        Numbers.clear();
        QString mask(kSerialLength, QLatin1Char('?'));
        int p = 0;
        try {
            for (;;) {
                if (CountLimit > 0 && Numbers.size() >= CountLimit) return;
                while (!AdvanceMaskChar(mask, p, lo.at(p), hi.at(p))) {
                    mask[p] = QLatin1Char('?');
                    if (--p < 0) return;
                }
                if (OnProgress) OnProgress(CountLimit > 0 ? Numbers.size() + 1 : MaskProgress(mask));
                if (CheckCancel()) return;
                Link.SetSerialMask(mask);
                switch (Probe()) {
                case TProbeResult::Nothing: break;
                case TProbeResult::Several:
                    if (p < kSerialLength - 1) ++p;
                    break;
                case TProbeResult::One:
                    Numbers.append(Link.GetLastSerial());
                    if (OnFound) OnFound(Numbers.last());
                    break;
                }
            }
        } catch (const TError& e) {
            if (e.Message != QString::fromUtf8(kCancelledMessage)) throw;
        }
    }

    const QStringList& Found() const { return Numbers; }

private:
    TConnection& Link;
    QStringList Numbers;
};
