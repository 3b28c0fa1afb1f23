#include "device/device_exception.h"

namespace {

struct TCodeMessage {
    int code;
    const char* message;  // UTF-8
};

const TCodeMessage kMessages[] = {
    {0, "ОК"},
    {1, "Функция недоступна"},
    {2, "Параметр недоступен"},
    {3, "Аргумент недоступен"},
    {4, "Несанкционированный доступ"},
    {5, "Блок данных поврежден"},
    {6, "Запрашиваемая операция с EEPROM невыполнима"},
    {7, "Устройство занято"},
    {8, "Ошибка обмена"},
    {100, "Ошибка при конфигурировании порта"},
    {101, "Ошибка при открытии порта"},
    {102, "Ошибка при передаче"},
    {103, "Нет связи с прибором"},
    {104, "Ошибка CRC в принятом сообщении"},
};

const char* const kUnknownErrorMessage = "Нераспознанная ошибка";

}  // namespace

QString DeviceErrorMessage(int code)
{
    for (const TCodeMessage& entry : kMessages)
        if (entry.code == code) return QString::fromUtf8(entry.message);
    return QString::fromUtf8(kUnknownErrorMessage);
}

TDeviceException::TDeviceException(int code) : TError(DeviceErrorMessage(code)), Code(code) {}
