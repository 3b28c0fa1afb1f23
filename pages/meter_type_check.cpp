#include "pages/meter_type_check.h"

#include "common/prompter.h"
#include "device/device.h"

const char* const kUnsupportedMeterWarning =
    "Эта программа предназначена для работы с одно-фазными счетчиками\n"
    "Возможна неправильная интерпретация данных !";

bool CheckMeterType(TDevice& device)
{
    const int type = device.GetMeterType();
    if (type == 2 || type == 3 || type == 6) return true;
    Prompter().ShowError(QString::fromUtf8(kUnsupportedMeterWarning));
    return false;
}
