#include "app/connection_list.h"

#include "common/error.h"
#include "common/text_codec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

const char* const kDefaultConnection = "Opto(1)";

namespace {
QString g_folder;

bool LessLine(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}
}  // namespace

void TConnectionList::SetFolder(const QString& folder) { g_folder = QDir(folder).absolutePath(); }

QString TConnectionList::Folder()
{
    if (g_folder.isEmpty()) SetFolder(QDir::currentPath());
    return g_folder;
}

QString TConnectionList::FilePath() { return Folder() + QStringLiteral("/connection.cfg"); }

void TConnectionList::Load()
{
    Items.clear();
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) return;
    QString text = DecodeTextFile(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) lines.append(line);
    SetLines(lines);
}

void TConnectionList::Save() const
{
    QByteArray data;
    for (const QString& line : Items) data += line.toUtf8() + "\r\n";
    QSaveFile file(FilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw TError(QStringLiteral("Не могу сохранить список подключений в файл ") + FilePath() +
                     QStringLiteral(": ") + file.errorString());
}

QString TConnectionList::NamePart(const QString& line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return eq >= 0 ? line.left(eq) : QString();
}

QString TConnectionList::ConnectionPart(const QString& line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return eq >= 0 ? line.mid(eq + 1) : line;
}

QString TConnectionList::DisplayName(int index) const
{
    const QString line = Items.value(index);
    const QString name = NamePart(line);
    return name.isEmpty() ? line : name;
}

void TConnectionList::SetLines(const QStringList& lines)
{
    Items = lines;
    std::stable_sort(Items.begin(), Items.end(), LessLine);
}

int TConnectionList::Add(const QString& line)
{
    const auto at = std::upper_bound(Items.begin(), Items.end(), line, LessLine);
    const int index = int(at - Items.begin());
    Items.insert(index, line);
    return index;
}

int TConnectionList::Replace(int index, const QString& line)
{
    Remove(index);
    return Add(line);
}

void TConnectionList::Remove(int index)
{
    if (index >= 0 && index < Items.size()) Items.removeAt(index);
}

QString TConnectionList::FreeName() const
{
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Подключение_%1").arg(n);
        bool used = false;
        for (const QString& line : Items)
            if (NamePart(line) == name) { used = true; break; }
        if (!used) return name;
    }
}
