#include "app/password_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Пароль");
const QString kDefaultPrompt = QStringLiteral("Введите основной пароль");
}  // namespace

void SetPasswordEcho(QLineEdit* edit)
{
    // Asterisks whatever mask character the style has.
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

TPasswordDlg::TPasswordDlg(QWidget* parent)
    : QDialog(parent),
      Label(new QLabel(kDefaultPrompt, this)),
      Password(new QLineEdit(this)),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      CancelBtn(new QPushButton(QStringLiteral("Отмена"), this))
{
    setWindowTitle(kCaption);
    Label->setObjectName(QStringLiteral("Label"));
    Password->setObjectName(QStringLiteral("Password"));
    SetPasswordEcho(Password);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label);
    layout->addWidget(Password);
    layout->addLayout(buttons);
    Password->setFocus();
}
