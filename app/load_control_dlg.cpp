#include "app/load_control_dlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const char* const kCaption = "Управление нагрузкой (сброс MFS)";
const char* const kOn = "Нагрузка включена";
const char* const kOff = "Нагрузка выключена";
const char* const kApply = "Применить";
const char* const kCancel = "Отмена";
}  // namespace

TLoadControl::TLoadControl(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LoadControl"));
    setWindowTitle(QString::fromUtf8(kCaption));

    LoadOnOff = new QGroupBox(this);
    LoadOnOff->setObjectName(QStringLiteral("LoadOnOff"));
    rbOn = new QRadioButton(QString::fromUtf8(kOn), LoadOnOff);
    rbOff = new QRadioButton(QString::fromUtf8(kOff), LoadOnOff);
    auto* items = new QVBoxLayout(LoadOnOff);
    items->addWidget(rbOn);
    items->addWidget(rbOff);
    rbOn->setChecked(true);

    ApplyBtn = new QPushButton(QString::fromUtf8(kApply), this);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));
    ApplyBtn->setDefault(true);
    CancelBtn = new QPushButton(QString::fromUtf8(kCancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(ApplyBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LoadOnOff);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ApplyBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
}

bool TLoadControl::LoadOn() const { return rbOn->isChecked(); }

void TLoadControl::SetLoadOn(bool on) { (on ? rbOn : rbOff)->setChecked(true); }
