#pragma once
#include "tools/com_face.h"

class TMBUSFace : public TComFace {
public:
    explicit TMBUSFace(const QStringList& ports, QWidget* parent = nullptr);
    QString FaceCaption() const override { return QStringLiteral("MBUS"); }
    QString FaceKeyword() const override { return QStringLiteral("MBUS"); }
};
