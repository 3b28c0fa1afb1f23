#include "pages/config_rows.h"

#include "common/error.h"
#include "common/prompter.h"

const char* const kRowMeterType = "Тип электросчетчика";
const char* const kRowSerialNumber = "Заводской номер";
const char* const kRowManufactureDate = "Дата выпуска";
const char* const kRowSoftVersion = "Версия ПО";
const char* const kRowUserId = "ID пользователя";
const char* const kRowPulseConstant = "Кпр телеметрического выхода (имп/кВт·ч)";
const char* const kRowNetAddress = "Сетевой адрес";
const char* const kRowInterfaceType = "Тип интерфейса";
const char* const kRowBaudRate = "Скорость обмена (бод)";
const char* const kRowParity = "Вид паритета";
const char* const kRowStopBits = "Число стоп-бит";
const char* const kRowEnergyFormat = "Энергия: формат числа";
const char* const kRowEnergyUnit = "Энергия: единица измерения";
const char* const kRowPowerFormat = "Мощность: формат числа";
const char* const kRowPowerUnit = "Мощность: единица измерения";
const char* const kRowVoltageFormat = "Напряжение: формат числа";
const char* const kRowVoltageUnit = "Напряжение: единица измерения";
const char* const kRowCurrentFormat = "Ток: формат числа";
const char* const kRowCurrentUnit = "Ток: единица измерения";

const char* const kParameterTitle = "Параметр";
const char* const kValueTitle = "Значение";
const char* const kNetAddressRange = "Сетевой адрес должен быть в диапазоне 0...255";
// The first letter is a Latin C, as the users know the message.
const char* const kNotConfigTable = "Cчитанный файл не таблица конфигурации";

namespace {
const char* const kRowNotFilled = "Строка ";
const char* const kRowNotFilledTail = " не заполнена";
const char* const kRowError = "Ошибка в строке: ";
const QString kUnknownCode = QStringLiteral("?");
}  // namespace

QString RowErrorMessage(const QString& caption) { return QString::fromUtf8(kRowError) + caption; }

TConfigRows::TConfigRows(const TConfigRowDef* defs)
{
    for (const TConfigRowDef* d = defs; d->Caption; ++d) Defs.append(*d);
    for (int i = 0; i < Defs.size(); ++i) Values.append(QString());
}

QString TConfigRows::Caption(int row) const { return QString::fromUtf8(Defs[row].Caption); }

QStringList TConfigRows::PickList(int row) const
{
    if (!Defs[row].PickList) return {};
    return QString::fromUtf8(Defs[row].PickList).split(QLatin1Char('\n'));
}

bool TConfigRows::IsReadOnlyPlain(int row) const
{
    return Defs[row].ReadOnly != 0 && Defs[row].EditStyle == kEditPlain;
}

int TConfigRows::IndexOf(const QString& caption) const
{
    for (int i = 0; i < Defs.size(); ++i)
        if (Caption(i) == caption) return i;
    return -1;
}

void TConfigRows::SetValue(int row, const QString& value)
{
    Values[row] = value;
    if (Changed) Changed(row);
}

void TConfigRows::ClearValues()
{
    for (int i = 0; i < Values.size(); ++i) SetValue(i, QString());
}

void TConfigRows::SetRowText(const QString& caption, const QString& text)
{
    const int row = IndexOf(caption);
    if (row >= 0) SetValue(row, text);
}

void TConfigRows::SetRowCode(const QString& caption, int code)
{
    const int row = IndexOf(caption);
    if (row < 0) return;
    const QStringList list = PickList(row);
    SetValue(row, code >= 0 && code < list.size() ? list[code] : kUnknownCode);
}

QString TConfigRows::GetRowText(const QString& caption) const
{
    const int row = IndexOf(caption);
    if (row < 0) return QString();
    if (Values[row].isEmpty())
        throw TError(QString::fromUtf8(kRowNotFilled) + caption + QString::fromUtf8(kRowNotFilledTail));
    return Values[row];
}

int TConfigRows::GetRowInt(const QString& caption, int defaultValue) const
{
    if (IndexOf(caption) < 0) return defaultValue;
    bool ok = false;
    const int value = GetRowText(caption).trimmed().toInt(&ok, 10);
    if (!ok) throw TError(RowErrorMessage(caption));
    return value;
}

int TConfigRows::GetRowCode(const QString& caption) const
{
    const int row = IndexOf(caption);
    const int code = row < 0 ? -1 : PickList(row).indexOf(GetRowText(caption));
    if (code < 0) throw TError(RowErrorMessage(caption));
    return code;
}

QString TConfigRows::Validated(const QString& caption, const QString& value) const
{
    if (caption != QString::fromUtf8(kRowNetAddress)) return value;
    bool ok = false;
    int address = value.trimmed().toInt(&ok, 10);
    if (!ok) address = 1000;
    if (address < 256) return value;
    Prompter().ShowError(QString::fromUtf8(kNetAddressRange));
    return QStringLiteral("0");
}

QVector<QStringList> TConfigRows::ToTable() const
{
    QVector<QStringList> table;
    table.append({QString::fromUtf8(kParameterTitle), QString::fromUtf8(kValueTitle)});
    for (int i = 0; i < Defs.size(); ++i) table.append({Caption(i), Values[i]});
    return table;
}

void TConfigRows::LoadTable(int columnCount, const QVector<QStringList>& table, int expectedRowCount)
{
    const TError notConfig(QString::fromUtf8(kNotConfigTable));
    if (columnCount != 2 || table.size() < expectedRowCount) throw notConfig;
    for (int r = 1; r < expectedRowCount; ++r)
        if (r - 1 >= Defs.size() || table[r].size() < 2) throw notConfig;
    for (int r = 1; r < expectedRowCount; ++r) SetValue(r - 1, table[r][1].trimmed());
}
