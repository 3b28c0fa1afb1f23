#pragma once
#include <QString>
#include <QStringList>

// The saved connections: one line each ("name=connection string" or just the
// connection string), kept sorted by the whole line, stored in
// "connection.cfg" in the folder the program started in.
class TConnectionList {
public:
    // Loads the file; a missing or unreadable file gives an empty list.
    void Load();
    // Writes the file through a temporary file; raises TError when it fails
    // (the previous file then stays whole).
    void Save() const;

    const QStringList& Lines() const { return Items; }
    int Count() const { return Items.size(); }
    QString Line(int index) const { return Items.value(index); }
    // The name part, or empty for a line without "=".
    static QString NamePart(const QString& line);
    // The connection string: the part after "=" when the line has a name.
    static QString ConnectionPart(const QString& line);
    QString DisplayName(int index) const;

    // Inserts in sorted position; returns the new index.
    int Add(const QString& line);
    // Replaces a line and re-sorts; returns the index of the line now.
    int Replace(int index, const QString& line);
    void Remove(int index);
    void SetLines(const QStringList& lines);  // sorted on the way in
    // The first "Подключение_" + n (n = 1, 2, ...) no item is named.
    QString FreeName() const;

    static QString FilePath();
    // The folder "connection.cfg" and the macro files live in: the working
    // directory at start-up, fixed so no file dialog can move the list.
    static void SetFolder(const QString& folder);
    static QString Folder();

private:
    QStringList Items;
};

extern const char* const kDefaultConnection;  // "Opto(1)"
