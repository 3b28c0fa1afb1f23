#include "tools/opto_face.h"

#include <QCheckBox>
#include <QComboBox>

TOptoFace::TOptoFace(const QStringList& ports, QWidget* parent) : TComFace(ptOpto, ports, parent)
{
    // The probe works at its one line setting only.
    cbBaudrate->setEnabled(false);
    cbParity->setEnabled(false);
    cbNumStop->setEnabled(false);
    cbHandshake->setEnabled(false);
    ShowTimeouts(true);
    SetRowShown(cbEchoPresent, false);
}
