#include "tools/plc_modem_face.h"

TPLCModemFace::TPLCModemFace(const QStringList& ports, QWidget* parent) : TComFace(ptPLCModem, ports, parent)
{
    ShowTimeouts(true);
}
