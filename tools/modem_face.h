#pragma once
#include "connection/modem.h"
#include "tools/port_face.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The panel of a dial-up or GSM modem on a serial port.
class TModemFace : public TPortFace {
    Q_OBJECT
public:
    TModemFace(const QStringList& ports, QWidget* parent = nullptr);

    QString FaceCaption() const override { return QStringLiteral("Модем"); }
    QString FaceParams() const override { return ModemPrmText(Settings); }
    QString FaceKeyword() const override { return QStringLiteral("Модем"); }
    void ReadControls() override;
    TPortType Kind() const override { return ptModem; }
    void ShowPort(const TPort& port) override;

    const TModemPrm& Prm() const { return Settings; }

    QLineEdit* edTelNumber;
    QComboBox* cbTypeDial;
    QLineEdit* edInitString;
    QComboBox* cbNumPort;
    QComboBox* cbBaudrate;
    QLineEdit* edWaitConnect;
    QLineEdit* eTimeout;
    QCheckBox* useRLSD;

private:
    void ShowPrm(const TModemPrm& prm, bool ownPort);

    TModemPrm Settings;
};
