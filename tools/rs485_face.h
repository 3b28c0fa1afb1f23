#pragma once
#include "tools/com_face.h"

class TRS485Face : public TComFace {
public:
    explicit TRS485Face(const QStringList& ports, QWidget* parent = nullptr);
    QString FaceCaption() const override { return QStringLiteral("RS485"); }
    QString FaceKeyword() const override { return QStringLiteral("RS485"); }
};
