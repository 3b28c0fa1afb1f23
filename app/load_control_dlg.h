#pragma once
#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

// Switches the meter's load on or off ("Применить" accepts).
class TLoadControl : public QDialog {
    Q_OBJECT
public:
    explicit TLoadControl(QWidget* parent = nullptr);

    bool LoadOn() const;
    void SetLoadOn(bool on);

    QGroupBox* LoadOnOff;
    QRadioButton* rbOn;
    QRadioButton* rbOff;
    QPushButton* ApplyBtn;
    QPushButton* CancelBtn;
};
