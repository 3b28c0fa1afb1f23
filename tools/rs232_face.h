#pragma once
#include "tools/com_face.h"

class TRS232Face : public TComFace {
public:
    explicit TRS232Face(const QStringList& ports, QWidget* parent = nullptr);
    QString FaceCaption() const override { return QStringLiteral("RS232"); }
    QString FaceKeyword() const override { return QStringLiteral("RS232"); }
};
