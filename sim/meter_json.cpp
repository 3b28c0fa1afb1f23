#include "sim/meter.h"

#include <QJsonArray>

// The saved state: everything a write or a switch changed, so that the meter
// answers the same after the program restarts. Keys missing from a file keep
// their factory values. The session and the per-run switches (forced
// status, frozen clock, live status words) are not saved.

namespace {

const char* const kArchiveKeys[] = {"14", "15", "16"};

}  // namespace

QJsonObject SimMeter::ToJson() const
{
    QJsonObject json;
    json["serial"] = Serial;
    json["typeCode"] = TypeCode;
    json["softVersion"] = SoftVersion;
    json["passwords"] = QJsonArray{Passwords[0], Passwords[1]};
    json["clockOffset"] = ClockOffset;

    QJsonObject params;
    for (auto it = Stored.cbegin(); it != Stored.cend(); ++it) params[it.key()] = QString::fromLatin1(it.value().toHex());
    json["params"] = params;
    json["led"] = QString::fromLatin1(LedConfig.toHex());
    json["battery"] = qint64(BatteryLife);

    json["resetTime"] = ResetTime;
    json["dayFloor"] = HistoryFloor[kDay];
    json["monthFloor"] = HistoryFloor[kMonth];
    json["yearFloor"] = HistoryFloor[kYear];
    json["profileFloor"] = ProfileFloor;
    json["maximaFloor"] = MaximaFloor;
    json["profile15"] = Profile15;
    json["singleValue"] = SingleValue;

    QJsonObject archives;
    for (int i = 0; i < 3; ++i) {
        QJsonArray records;
        for (const TArchiveRecord& r : Archives[i]) records.append(QJsonArray{r.Time, r.Events, r.Detail});
        archives[kArchiveKeys[i]] = records;
    }
    json["archives"] = archives;
    json["moduleKind"] = ModuleKind;
    json["moduleInstalled"] = ModuleInstalled;
    return json;
}

void SimMeter::FromJson(const QJsonObject& json)
{
    if (json.contains("serial")) SetSerialNumber(json["serial"].toString());
    if (json.contains("typeCode")) TypeCode = uint16_t(json["typeCode"].toInt());
    if (json.contains("softVersion")) SoftVersion = json["softVersion"].toString();
    const QJsonArray passwords = json["passwords"].toArray();
    for (int i = 0; i < qMin(2, int(passwords.size())); ++i) Passwords[i] = passwords[i].toString();
    if (json.contains("clockOffset")) ClockOffset = json["clockOffset"].toInteger();

    const QJsonObject params = json["params"].toObject();
    for (auto it = params.begin(); it != params.end(); ++it)
        Stored[it.key()] = QByteArray::fromHex(it.value().toString().toLatin1());
    if (json.contains("led")) LedConfig = QByteArray::fromHex(json["led"].toString().toLatin1());
    if (json.contains("battery")) BatteryLife = quint32(json["battery"].toInteger());

    const auto readTime = [&](const char* name, qint64& field) {
        if (json.contains(name)) field = json[name].toInteger();
    };
    readTime("resetTime", ResetTime);
    readTime("dayFloor", HistoryFloor[kDay]);
    readTime("monthFloor", HistoryFloor[kMonth]);
    readTime("yearFloor", HistoryFloor[kYear]);
    readTime("profileFloor", ProfileFloor);
    readTime("maximaFloor", MaximaFloor);
    if (json.contains("profile15")) Profile15 = json["profile15"].toBool();
    if (json.contains("singleValue")) SingleValue = json["singleValue"].toBool();

    const QJsonObject archives = json["archives"].toObject();
    for (int i = 0; i < 3; ++i) {
        if (!archives.contains(kArchiveKeys[i])) continue;
        Archives[i].clear();
        for (const QJsonValue& v : archives[kArchiveKeys[i]].toArray()) {
            const QJsonArray r = v.toArray();
            Archives[i].append({r.at(0).toInteger(), uint16_t(r.at(1).toInt()), uint8_t(r.at(2).toInt())});
        }
    }
    if (json.contains("moduleKind")) ModuleKind = uint8_t(json["moduleKind"].toInt());
    if (json.contains("moduleInstalled")) ModuleInstalled = uint8_t(json["moduleInstalled"].toInt());
}
