#pragma once
#include "tools/com_face.h"

class TOptoFace : public TComFace {
public:
    explicit TOptoFace(const QStringList& ports, QWidget* parent = nullptr);
    QString FaceCaption() const override { return QStringLiteral("Опто"); }
    QString FaceKeyword() const override { return QStringLiteral("Opto"); }
};
