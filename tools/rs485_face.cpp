#include "tools/rs485_face.h"

#include <QCheckBox>

TRS485Face::TRS485Face(const QStringList& ports, QWidget* parent) : TComFace(ptRS485, ports, parent)
{
    ShowTimeouts(true);
    SetRowShown(cbEchoPresent, false);
}
