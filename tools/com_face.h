#pragma once
#include "connection/serial_port.h"
#include "tools/port_face.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;

// The panel of a serial interface; the variants differ only in which
// controls they show or allow and in their defaults.
class TComFace : public TPortFace {
    Q_OBJECT
public:
    // ports: the names of the serial ports found ("COM" + n).
    TComFace(TPortType kind, const QStringList& ports, QWidget* parent = nullptr);

    QString FaceParams() const override;
    void ReadControls() override;
    TPortType Kind() const override { return PortKind; }
    void ShowPort(const TPort& port) override;

    const TComPrm& Prm() const { return Settings; }

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QComboBox* cbNumPort;
    QComboBox* cbBaudrate;
    QComboBox* cbParity;
    QComboBox* cbNumStop;
    QComboBox* cbHandshake;
    QLineEdit* eTimeout;
    QLineEdit* eTimeInterval;
    QCheckBox* cbEchoPresent;

protected:
    // Shows the record; a port number missing from the list joins it when the
    // record is the connection's own, so OK never moves the connection to
    // another port.
    void ShowPrm(const TComPrm& prm, bool ownPort);
    void SetRowShown(QWidget* field, bool shown);
    void ShowTimeouts(bool shown);
    void SetBaudItems(const QStringList& items);

private:
    TPortType PortKind;
    TComPrm Settings;
    QFormLayout* Form;
};

// Digits and backspace only, as the numeric edits of the panels accept.
void AllowDigitsOnly(QLineEdit* edit);
// Selects "COM" + portNo in the list of port names (see TComFace::ShowPrm).
void SelectComPort(QComboBox* box, int portNo, bool ownPort);
// The number after "COM" of the selected port, 1 when there is none.
uint8_t SelectedComPort(const QComboBox* box);
