#pragma once
#include <QString>
#include <cstdint>

// Comma-list reader and writer shared by the link settings of a connection
// string and by every transport's parameter text.
class TStrPrm {
public:
    explicit TStrPrm(const QString& text = QString()) : Rest(text) {}

    // Reading. Each returns the field's length, 0 for an empty field (the
    // target keeps its value) and -1 when the text is exhausted.
    int ReadText(QString& target);
    int ReadByte(uint8_t& target);
    int ReadInt(int& target);
    int ReadUInt(uint32_t& target);
    int ReadBool(bool& target);  // any non-zero number is true; absent is true

    // Writing: the value goes after the pending separators and leaves one
    // separator pending; Skip() only adds a pending separator.
    void AddNumber(long long n);
    void AddText(const QString& text);
    void Skip() { ++Pending; }
    QString Result() const { return Written; }

private:
    int NextField(QString& field);
    template <typename T> int ReadNumber(T& target);

    QString Rest;
    bool Exhausted = false;
    QString Written;
    int Pending = 0;
};
