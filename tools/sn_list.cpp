#include "tools/sn_list.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/text_codec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

const char* const kSnListFilter = "Файлы с заводскими номерами|*.snlst";
const char* const kSnListExt = "snlst";

namespace {
const char* const kWriteFailed = "Не могу сохранить список заводских номеров в файл %1: %2";
}  // namespace

QString SnSavePath() { return AppDataFolder() + QStringLiteral("/sn_save.cfg"); }

QString SnListFolder()
{
    const QString folder = AppDataFolder() + QStringLiteral("/LIST_SN");
    QDir().mkpath(folder);
    return folder;
}

QStringList ReadSnList(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList numbers;
    for (const QString& line : DecodeTextFile(file.readAll()).split(QLatin1Char('\n'))) {
        const QString number = line.trimmed();
        if (!number.isEmpty()) numbers.append(number);
    }
    return numbers;
}

void WriteSnList(const QString& fileName, const QStringList& numbers)
{
    QByteArray data;
    for (const QString& number : numbers) data += number.toUtf8() + "\r\n";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw TError(QString::fromUtf8(kWriteFailed).arg(fileName, file.errorString()));
}
