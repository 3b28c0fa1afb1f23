#include "tools/mbus_face.h"

#include <QComboBox>

TMBUSFace::TMBUSFace(const QStringList& ports, QWidget* parent) : TComFace(ptMBUS, ports, parent)
{
    SetRowShown(cbHandshake, false);
    cbHandshake->setEnabled(false);
    SetBaudItems({"2400", "4800", "9600", "19200", ""});
    ShowTimeouts(true);
}
