#pragma once
#include "tools/com_face.h"

class TPLCModemFace : public TComFace {
public:
    explicit TPLCModemFace(const QStringList& ports, QWidget* parent = nullptr);
    QString FaceCaption() const override { return QStringLiteral("PLCМодем"); }
    QString FaceKeyword() const override { return QStringLiteral("PLCModem"); }
};
