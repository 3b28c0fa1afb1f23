#include "common/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString AppDataFolder()
{
    const QString home = qEnvironmentVariable("VEXA_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QDir(home).absolutePath();
    }
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!exeDir.isEmpty() && QFileInfo(exeDir).isWritable()) return exeDir;
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vexa");
    QDir().mkpath(config);
    return config;
}

QString SettingsBasePath() { return AppDataFolder() + QStringLiteral("/vexa"); }

QString SettingsFilePath() { return SettingsBasePath() + QStringLiteral(".cfg"); }
