#pragma once
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <functional>

// One row of a configuration list. A table of them ends with a null caption.
struct TConfigRowDef {
    const char* Caption;    // the row's key
    const char* EditMask;   // null: none
    const char* PickList;   // line-separated entries, null: none; code = position
    uint8_t ReadOnly;       // 1: the value cannot be typed
    uint8_t EditStyle;      // 0 plain, 2 pick list
};
constexpr uint8_t kEditPlain = 0;
constexpr uint8_t kEditPickList = 2;

// Captions the configuration exchange works with; a variant's table names
// its rows with them.
extern const char* const kRowMeterType;
extern const char* const kRowSerialNumber;
extern const char* const kRowManufactureDate;
extern const char* const kRowSoftVersion;
extern const char* const kRowUserId;
extern const char* const kRowPulseConstant;
extern const char* const kRowNetAddress;
extern const char* const kRowInterfaceType;
extern const char* const kRowBaudRate;
extern const char* const kRowParity;
extern const char* const kRowStopBits;
extern const char* const kRowEnergyFormat;
extern const char* const kRowEnergyUnit;
extern const char* const kRowPowerFormat;
extern const char* const kRowPowerUnit;
extern const char* const kRowVoltageFormat;
extern const char* const kRowVoltageUnit;
extern const char* const kRowCurrentFormat;
extern const char* const kRowCurrentUnit;

extern const char* const kParameterTitle;      // "Параметр"
extern const char* const kValueTitle;          // "Значение"
extern const char* const kNetAddressRange;     // "Сетевой адрес должен быть в диапазоне 0...255"
extern const char* const kNotConfigTable;      // "Cчитанный файл не таблица конфигурации"

// The values of a configuration list, one per row of the variant's table,
// found by caption. Row i here is row i + 1 of the list on screen (row 0 is
// its title row).
class TConfigRows {
public:
    explicit TConfigRows(const TConfigRowDef* defs);

    int Count() const { return Defs.size(); }
    const TConfigRowDef& Def(int row) const { return Defs[row]; }
    QString Caption(int row) const;
    QStringList PickList(int row) const;
    // A value shown but never typed nor picked.
    bool IsReadOnlyPlain(int row) const;
    bool IsTyped(int row) const { return Defs[row].ReadOnly == 0; }
    int IndexOf(const QString& caption) const;  // -1 when absent

    QString Value(int row) const { return Values[row]; }
    void SetValue(int row, const QString& value);
    void ClearValues();

    // Absent captions: the setters do nothing, GetRowText gives "" and
    // GetRowInt its default.
    void SetRowText(const QString& caption, const QString& text);
    // The pick-list entry at code, "?" for a code outside the list.
    void SetRowCode(const QString& caption, int code);
    // Raises "Строка <caption> не заполнена" for an empty value.
    QString GetRowText(const QString& caption) const;
    // Raise "Ошибка в строке: <caption>" for a value that does not convert.
    int GetRowInt(const QString& caption, int defaultValue) const;
    int GetRowCode(const QString& caption) const;

    // What stays of a value the user leaves in a cell: a network address
    // of 256 or more (or not a number) is reported and becomes "0".
    QString Validated(const QString& caption, const QString& value) const;

    // The list as a table file holds it: title row, then caption and value.
    QVector<QStringList> ToTable() const;
    // Takes the values of rows 1 .. expectedRowCount - 1 of a loaded table by
    // position; raises kNotConfigTable for a table of another shape.
    void LoadTable(int columnCount, const QVector<QStringList>& table, int expectedRowCount);

    // Called after a value changed, with its row.
    std::function<void(int row)> Changed;

private:
    QVector<TConfigRowDef> Defs;
    QStringList Values;
};

// "Ошибка в строке: <caption>"
QString RowErrorMessage(const QString& caption);
