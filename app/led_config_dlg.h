#pragma once
#include "app/service_exchange.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

// Shows and edits the LED (pulse output) configuration read from the meter.
class TLedConfigDlg : public QDialog {
    Q_OBJECT
public:
    explicit TLedConfigDlg(QWidget* parent = nullptr);

    // Fills the controls from what the meter holds and lays the dialog out
    // for showing it.
    void ShowConfig(const TLedConfig& config);
    TLedConfig Config() const;

    QGroupBox* rgMode;
    QRadioButton* rbMain;
    QRadioButton* rbVerify;
    QGroupBox* GroupBox1;
    QCheckBox* cbPplus;
    QCheckBox* cbPminus;
    QCheckBox* cbQplus;
    QCheckBox* cbQminus;
    QCheckBox* cb16sec;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void PowerBoxClicked(bool checked);
    void PeriodicBoxClicked(bool checked);

    // A mode code without an item in the group goes back as it came.
    uint8_t UnlistedMode = 0;
};
