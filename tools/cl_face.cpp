#include "tools/cl_face.h"

#include <QComboBox>

TCLFace::TCLFace(const QStringList& ports, QWidget* parent) : TComFace(ptCL, ports, parent)
{
    SetRowShown(cbHandshake, false);
    SetBaudItems({"100", "300", "600", "1200", "2400", "4800", "9600", "19200", "", ""});
}
