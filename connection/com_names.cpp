#include "connection/com_names.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

namespace {

const int kMaxPortNo = 255;
const char* const kPortsSection = "ports";

QString ComKey(int n) { return QStringLiteral("COM") + QString::number(n); }

// Number of a "COM<n>" key, 0 when it is none.
int ComKeyNumber(const QString& key)
{
    if (key.size() <= 3 || !key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return 0;
    bool ok = false;
    const int n = key.mid(3).toInt(&ok);
    return ok && n >= 1 && n <= kMaxPortNo ? n : 0;
}

// COM(k+1) for /dev/ttyS<k>, else 0.
int BuiltInNumber(const QString& device)
{
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS(\\d+)$"));
    const QRegularExpressionMatch m = ttyS.match(device);
    if (!m.hasMatch()) return 0;
    const int n = m.captured(1).toInt() + 1;
    return n <= kMaxPortNo ? n : 0;
}

QMap<int, QString> StoredMapping(const TMyIniFile& ini)
{
    QMap<int, QString> mapped;
    const QString section = QLatin1String(kPortsSection);
    for (const QString& key : ini.ReadSection(section)) {
        const int n = ComKeyNumber(key);
        const QString path = ini.ReadString(section, key, QString()).trimmed();
        if (n != 0 && !path.isEmpty()) mapped.insert(n, path);
    }
    return mapped;
}

}  // namespace

QMap<int, QString> NumberComDevices(const QMap<int, QString>& mapped, const QStringList& devices,
                                    QMap<int, QString>* added)
{
    QMap<int, QString> numbered;
    QStringList unnumbered;
    for (const QString& device : devices) {
        int n = mapped.key(device, 0);
        if (n == 0) {
            n = BuiltInNumber(device);
            if (mapped.contains(n)) n = 0;
        }
        if (n != 0) numbered.insert(n, device);
        else unnumbered.append(device);
    }
    unnumbered.sort();
    int candidate = 1;
    for (const QString& device : unnumbered) {
        while (candidate <= kMaxPortNo && (mapped.contains(candidate) || numbered.contains(candidate))) ++candidate;
        if (candidate > kMaxPortNo) break;
        numbered.insert(candidate, device);
        added->insert(candidate, device);
    }
    return numbered;
}

QString ComDevicePath(int portNo)
{
    const QString path = TMyIniFile(SettingsFilePath()).ReadString(QLatin1String(kPortsSection), ComKey(portNo), QString()).trimmed();
    return path.isEmpty() ? QStringLiteral("/dev/ttyS") + QString::number(portNo - 1) : path;
}

QStringList EnumerateComPorts()
{
    TMyIniFile ini(SettingsFilePath());
    const QMap<int, QString> mapped = StoredMapping(ini);
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) devices.append(info.systemLocation());
    // Mapped devices the system does not list (pseudo-terminals, links made by udev rules).
    for (const QString& path : mapped) {
        if (!devices.contains(path) && QFileInfo::exists(path)) devices.append(path);
    }
    QMap<int, QString> added;
    QMap<int, QString> numbered = NumberComDevices(mapped, devices, &added);
    for (auto it = added.cbegin(); it != added.cend(); ++it) {
        try {
            ini.WriteString(QLatin1String(kPortsSection), ComKey(it.key()), it.value());
        } catch (const TError&) {
            // Unstored, the number would open another device later: leave it out.
            numbered.remove(it.key());
        }
    }
    QStringList names;
    for (int n : numbered.keys()) names.append(ComKey(n));
    return names;
}
