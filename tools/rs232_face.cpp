#include "tools/rs232_face.h"

TRS232Face::TRS232Face(const QStringList& ports, QWidget* parent) : TComFace(ptRS232, ports, parent)
{
    ShowTimeouts(true);
}
