#include "common/my_ini_file.h"

#include "common/error.h"
#include "common/text_codec.h"

#include <QFile>
#include <QSaveFile>

namespace {

// One INI file held as its lines, so that a write changes one line and keeps
// comments, order and unknown sections as they were.
struct IniLines {
    QStringList lines;

    static IniLines Load(const QString& fileName)
    {
        IniLines ini;
        QFile file(fileName);
        if (!file.exists()) return ini;
        if (!file.open(QIODevice::ReadOnly))
            throw TError(QStringLiteral("Не могу прочитать файл настроек: ") + fileName);
        QString text = DecodeTextFile(file.readAll());
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        ini.lines = text.split(QLatin1Char('\n'));
        if (!ini.lines.isEmpty() && ini.lines.last().isEmpty()) ini.lines.removeLast();
        return ini;
    }

    static bool IsSection(const QString& line, QString* name)
    {
        const QString t = line.trimmed();
        if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']'))) return false;
        *name = t.mid(1, t.size() - 2).trimmed();
        return true;
    }

    // Index range [begin, end) of the section's body, begin = -1 when absent.
    void FindSection(const QString& section, int* begin, int* end) const
    {
        *begin = -1;
        *end = lines.size();
        for (int i = 0; i < lines.size(); ++i) {
            QString name;
            if (!IsSection(lines[i], &name)) continue;
            if (*begin >= 0) { *end = i; return; }
            if (name.compare(section, Qt::CaseInsensitive) == 0) *begin = i + 1;
        }
    }

    static bool SplitKey(const QString& line, QString* key, QString* value)
    {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || line.trimmed().startsWith(QLatin1Char(';'))) return false;
        *key = line.left(eq).trimmed();
        *value = line.mid(eq + 1);
        return true;
    }

    bool Find(const QString& section, const QString& key, QString* value, int* lineNo = nullptr) const
    {
        int begin, end;
        FindSection(section, &begin, &end);
        if (begin < 0) return false;
        for (int i = begin; i < end; ++i) {
            QString k, v;
            if (SplitKey(lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0) {
                *value = v;
                if (lineNo) *lineNo = i;
                return true;
            }
        }
        return false;
    }

    void Set(const QString& section, const QString& key, const QString& value)
    {
        const QString line = key + QLatin1Char('=') + value;
        QString old;
        int lineNo = -1;
        if (Find(section, key, &old, &lineNo)) { lines[lineNo] = line; return; }
        int begin, end;
        FindSection(section, &begin, &end);
        if (begin < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QString());
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(line);
            return;
        }
        int insertAt = end;  // after the last non-empty line of the section
        while (insertAt > begin && lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
        lines.insert(insertAt, line);
    }

    void Save(const QString& fileName) const
    {
        QSaveFile file(fileName);
        QByteArray data;
        for (const QString& l : lines) data += l.toUtf8() + "\r\n";
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
            throw TError(QStringLiteral("Не могу записать файл настроек: ") + fileName);
    }
};

}  // namespace

QString TMyIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    QString value;
    return IniLines::Load(FileName).Find(section, key, &value) ? value : def;
}

int TMyIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    bool ok = false;
    const QString text = ReadString(section, key, QString()).trimmed();
    int value = text.toInt(&ok);
    if (!ok && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) value = text.mid(2).toInt(&ok, 16);
    return ok ? value : def;
}

bool TMyIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

QStringList TMyIniFile::ReadSection(const QString& section) const
{
    const IniLines ini = IniLines::Load(FileName);
    int begin, end;
    ini.FindSection(section, &begin, &end);
    QStringList keys;
    for (int i = begin < 0 ? end : begin; i < end; ++i) {
        QString k, v;
        if (IniLines::SplitKey(ini.lines[i], &k, &v)) keys.append(k);
    }
    return keys;
}

void TMyIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    IniLines ini = IniLines::Load(FileName);
    ini.Set(section, key, value);
    ini.Save(FileName);
}

void TMyIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TMyIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}
