#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a meter password; the caller sets the prompt in Label.
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    QLabel* Label;
    QLineEdit* Password;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

// Password edits show every character as "*".
void SetPasswordEcho(QLineEdit* edit);
