#pragma once
#include <QDateTime>
#include <QDialog>

class QDateEdit;
class QPushButton;
class QTimeEdit;

// Asks for a date and a time (clock setting). Starts at the current time.
class TDlgAnyDataTimeSet : public QDialog {
    Q_OBJECT
public:
    explicit TDlgAnyDataTimeSet(QWidget* parent = nullptr);

    QDateTime Value() const { return Chosen; }
    void SetValue(const QDateTime& value);

    QDateEdit* dtpDate;
    QTimeEdit* dtpTime;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Accept();

    QDateTime Chosen;
};
