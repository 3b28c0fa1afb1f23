#pragma once
#include "tools/com_face.h"

class TCLFace : public TComFace {
public:
    explicit TCLFace(const QStringList& ports, QWidget* parent = nullptr);
    QString FaceCaption() const override { return QStringLiteral("Токовая петля"); }
    QString FaceKeyword() const override { return QStringLiteral("CL"); }
};
