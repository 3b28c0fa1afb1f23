#pragma once
#include "tools/port_face.h"

#include <QStringList>

class QLineEdit;

// The panel of a serial-to-Ethernet gateway reached over TCP/IP. It keeps its
// seven settings as the texts the user typed and writes all of them.
class TXPortFace : public TPortFace {
    Q_OBJECT
public:
    explicit TXPortFace(QWidget* parent = nullptr);

    QString FaceCaption() const override { return QStringLiteral("TCP/IP"); }
    QString FaceParams() const override { return Texts.join(QLatin1Char(',')); }
    QString FaceKeyword() const override { return QStringLiteral("XPort"); }
    void ReadControls() override;
    TPortType Kind() const override { return ptXPort; }
    void ShowPort(const TPort& port) override;

    // Host, port, reply time-out, inter-byte interval, connect time-out,
    // settle delay, send delay.
    QLineEdit* LabeledEdit[7];

private:
    QStringList Texts;
};
