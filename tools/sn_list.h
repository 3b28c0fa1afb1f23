#pragma once
#include <QString>
#include <QStringList>

// Lists of serial numbers, one per line: the last search result kept in
// "sn_save.cfg" and the user's "*.snlst" files in the folder "LIST_SN".

QString SnSavePath();     // AppDataFolder() + "/sn_save.cfg"
QString SnListFolder();   // AppDataFolder() + "/LIST_SN", created when missing

extern const char* const kSnListFilter;   // "Файлы с заводскими номерами|*.snlst"
extern const char* const kSnListExt;      // "snlst"

// The non-empty lines of the file; an unreadable file gives an empty list.
QStringList ReadSnList(const QString& fileName);
// Raises TError when the file cannot be written.
void WriteSnList(const QString& fileName, const QStringList& numbers);
