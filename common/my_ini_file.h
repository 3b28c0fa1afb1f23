#pragma once
#include <QString>
#include <QStringList>

// Access to an INI settings file that opens the file anew for every value and
// closes it right after, so every write is on disk at once and other programs
// (or another Vexa) see it. Sections and keys compare case-insensitively, as
// INI files always have. Reads UTF-8 and cp1251; writes UTF-8 through a
// temporary file, so a failed write never leaves half a settings file.
class TMyIniFile {
public:
    explicit TMyIniFile(const QString& fileName) : FileName(fileName) {}

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    QStringList ReadSection(const QString& section) const;  // keys in file order

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    const QString& fileName() const { return FileName; }

private:
    QString FileName;
};
