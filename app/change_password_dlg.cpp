#include "app/change_password_dlg.h"

#include "app/gui_prompter.h"
#include "app/password_dlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Изменение пароля электросчетчика");
const int kPasswordLength = 8;
const QString kComment = QStringLiteral(
    "Внимание !!!  Дополнительный пароль позволяет изменять только: сетевой адрес, параметры канала связи и "
    "перечень отображаемых параметров на индикаторе электросчетчика.");
}  // namespace

const QString TChangePasswordDlg::kMismatchTitle = QStringLiteral("Ошибка ввода");
const QString TChangePasswordDlg::kMismatchText =
    QStringLiteral("Подтверждение пароля не соответствует новому паролю !\nПовторите ввод.");

TChangePasswordDlg::TChangePasswordDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Label2(new QLabel(QStringLiteral("Новый пароль:"), this)),
      NewPassword(new QLineEdit(this)),
      Label3(new QLabel(QStringLiteral("Подтверждение пароля:"), this)),
      AcnPassword(new QLineEdit(this)),
      rgSelect(new QGroupBox(QStringLiteral("Пароль"), this)),
      rgSelectMain(new QRadioButton(QStringLiteral("основной "), rgSelect)),
      rgSelectAdditional(new QRadioButton(QStringLiteral("дополнительный"), rgSelect)),
      lbComment(new QLabel(kComment, this)),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      CancelBtn(new QPushButton(QStringLiteral("Отмена"), this)),
      ShowInputError([this](const QString& title, const QString& text) {
          ShowMessageBox(this, QMessageBox::Critical, title, text);
      }),
      Levels(new QButtonGroup(this))
{
    setWindowTitle(kCaption);
    const std::pair<QWidget*, const char*> names[] = {
        {Label2, "Label2"}, {NewPassword, "NewPassword"}, {Label3, "Label3"}, {AcnPassword, "AcnPassword"},
        {rgSelect, "rgSelect"}, {rgSelectMain, "rgSelectMain"}, {rgSelectAdditional, "rgSelectAdditional"},
        {lbComment, "lbComment"}, {OKBtn, "OKBtn"}, {CancelBtn, "CancelBtn"},
    };
    for (const auto& [widget, name] : names) widget->setObjectName(QLatin1String(name));

    for (QLineEdit* edit : {NewPassword, AcnPassword}) {
        edit->setMaxLength(kPasswordLength);
        SetPasswordEcho(edit);
    }
    Levels->addButton(rgSelectMain, 0);
    Levels->addButton(rgSelectAdditional, 1);
    rgSelectMain->setChecked(true);
    auto* levels = new QGridLayout(rgSelect);
    levels->addWidget(rgSelectMain, 0, 0);
    levels->addWidget(rgSelectAdditional, 0, 1);

    lbComment->setWordWrap(true);
    lbComment->hide();
    connect(Levels, &QButtonGroup::idToggled, this, [this](int, bool) { lbComment->setVisible(Level() == 1); });

    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TChangePasswordDlg::CheckAndAccept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(NewPassword, 0, 1);
    fields->addWidget(Label3, 1, 0);
    fields->addWidget(AcnPassword, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(rgSelect);
    layout->addWidget(lbComment);
    layout->addLayout(buttons);
    setFixedWidth(sizeHint().width());
    NewPassword->setFocus();
}

int TChangePasswordDlg::Level() const { return Levels->checkedId() == 1 ? 1 : 0; }

void TChangePasswordDlg::SetLevel(int level) { (level == 1 ? rgSelectAdditional : rgSelectMain)->setChecked(true); }

void TChangePasswordDlg::CheckAndAccept()
{
    if (AcnPassword->text() == NewPassword->text()) {
        accept();
        return;
    }
    ShowInputError(kMismatchTitle, kMismatchText);
    NewPassword->clear();
    AcnPassword->clear();
    NewPassword->setFocus();
}
