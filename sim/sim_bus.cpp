#include "sim/sim_bus.h"

#include "common/error.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <cstdio>

TSimBus::TSimBus(const TSimOptions& options) : StateFile(options.StateFile), Collide(options.Collide)
{
    if (!StateFile.isEmpty() && QFile::exists(StateFile)) {
        QFile file(StateFile);
        if (!file.open(QIODevice::ReadOnly)) throw TError(QString("cannot read state file %1: %2").arg(StateFile, file.errorString()));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        if (!document.isObject())
            throw TError(QString("state file %1 is not a JSON object: %2").arg(StateFile, error.errorString()));
        State = document.object();
    }
    for (const TSimMeterOption& option : options.Meters) {
        auto meter = std::make_unique<SimMeter>();
        meter->SetSerialNumber(option.Serial);
        meter->SetNetAddress(option.Address);
        if (State.value(option.Serial).isObject()) meter->FromJson(State.value(option.Serial).toObject());
        // Switches describe this run and win over the saved state.
        if (options.TypeCode >= 0) meter->SetMeterTypeCode(uint16_t(options.TypeCode));
        if (!options.Version.isEmpty()) meter->SetSoftVersion(options.Version);
        for (const auto& [param, status] : options.ForcedStatus) meter->SetForcedStatus(param, status);
        if (options.Clock.isValid()) meter->FreezeClock(options.Clock);
        if (options.ModuleKind >= 0) meter->SetExpansionModule(uint8_t(options.ModuleKind), options.ModuleInstalled);
        if (options.ProfileSet) meter->SetProfileMode(options.ProfileFifteenMinutes, options.ProfileSingleValue);
        for (const auto& [param, word] : options.StateWords) meter->SetStateWord(param, word);
        meter->TakeChanged();   // the switches are not state to save
        Meters.push_back(std::move(meter));
    }
}

bool TSimBus::Addressed(const SimMeter& meter, const TSimRequest& request) const
{
    if (request.Framing == TSimFraming::Plain || request.Framing == TSimFraming::ExtendedAddress)
        return meter.NetAddress() == request.Address;
    return Collide || SimMaskMatches(request.SerialMask, meter.SerialNumber().toLatin1());
}

QByteArray TSimBus::Answer(const TSimRequest& request)
{
    QList<QByteArray> replies;
    bool changed = false;
    for (const auto& meter : Meters) {
        if (!Addressed(*meter, request)) continue;
        const SimReply reply = meter->Handle(request.Body);
        changed = meter->TakeChanged() || changed;
        replies.append(SimBuildReply(request, meter->SerialNumber().toLatin1(), reply.Status, reply.Data));
    }
    if (changed && !StateFile.isEmpty()) {
        // The write already holds in memory; a failed save only costs later runs.
        try {
            SaveState();
        } catch (const TError& error) {
            std::fprintf(stderr, "zv301-sim: %s\n", qPrintable(error.Message));
        }
    }
    if (replies.size() == 1) return replies.first();
    return SimCollide(replies, request.Framing);
}

void TSimBus::SaveState()
{
    QJsonObject state = State;
    for (const auto& meter : Meters) state.insert(meter->SerialNumber(), meter->ToJson());
    QSaveFile file(StateFile);
    if (!file.open(QIODevice::WriteOnly)) throw TError(QString("cannot write state file %1: %2").arg(StateFile, file.errorString()));
    file.write(QJsonDocument(state).toJson());
    if (!file.commit()) throw TError(QString("cannot write state file %1: %2").arg(StateFile, file.errorString()));
    State = state;
}
