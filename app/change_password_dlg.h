#pragma once
#include <QDialog>
#include <functional>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Asks for a new meter password, twice, and its level (0 main, 1 additional).
class TChangePasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TChangePasswordDlg(QWidget* parent = nullptr);

    int Level() const;  // the selected item of rgSelect
    void SetLevel(int level);

    QLabel* Label2;
    QLineEdit* NewPassword;
    QLabel* Label3;
    QLineEdit* AcnPassword;
    QGroupBox* rgSelect;
    QRadioButton* rgSelectMain;
    QRadioButton* rgSelectAdditional;
    QLabel* lbComment;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // Shows the confirmation mismatch (title, text); a stop box unless replaced.
    std::function<void(const QString&, const QString&)> ShowInputError;

    static const QString kMismatchTitle;
    static const QString kMismatchText;

private:
    void CheckAndAccept();

    QButtonGroup* Levels;
};
