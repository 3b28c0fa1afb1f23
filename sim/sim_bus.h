#pragma once
#include "sim/meter.h"
#include "sim/sim_frame.h"
#include "sim/sim_options.h"

#include <QJsonObject>
#include <memory>
#include <vector>

// The meters sharing one bus, and their state file.
class TSimBus {
public:
    // Throws TError when the state file cannot be read.
    explicit TSimBus(const TSimOptions& options);

    // The bytes the bus carries back: one reply, a collision, or nothing.
    QByteArray Answer(const TSimRequest& request);

private:
    bool Addressed(const SimMeter& meter, const TSimRequest& request) const;
    void SaveState();

    std::vector<std::unique_ptr<SimMeter>> Meters;
    QString StateFile;
    QJsonObject State;   // as last loaded or saved; keeps meters not on the bus
    bool Collide = false;
};
