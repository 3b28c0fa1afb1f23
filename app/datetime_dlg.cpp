#include "app/datetime_dlg.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimeEdit>

namespace {
const char* const kCaption = "Установка даты и времени";
const char* const kDateLabel = "Дата";
const char* const kTimeLabel = "Время";
const char* const kOk = "OK";
const char* const kCancel = "Отмена";
}  // namespace

TDlgAnyDataTimeSet::TDlgAnyDataTimeSet(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgAnyDataTimeSet"));
    setWindowTitle(QString::fromUtf8(kCaption));

    dtpDate = new QDateEdit(this);
    dtpDate->setObjectName(QStringLiteral("dtpDate"));
    dtpDate->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    dtpDate->setCalendarPopup(true);
    dtpTime = new QTimeEdit(this);
    dtpTime->setObjectName(QStringLiteral("dtpTime"));
    dtpTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));

    OKBtn = new QPushButton(QString::fromUtf8(kOk), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QString::fromUtf8(kCancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TDlgAnyDataTimeSet::Accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QString::fromUtf8(kDateLabel), this), 0, 0);
    grid->addWidget(dtpDate, 1, 0);
    grid->addWidget(new QLabel(QString::fromUtf8(kTimeLabel), this), 0, 1);
    grid->addWidget(dtpTime, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(buttons, 2, 0, 1, 2);

    SetValue(QDateTime::currentDateTime());
}

void TDlgAnyDataTimeSet::SetValue(const QDateTime& value)
{
    Chosen = value;
    dtpDate->setDate(value.date());
    dtpTime->setTime(value.time());
}

void TDlgAnyDataTimeSet::Accept()
{
    Chosen = QDateTime(dtpDate->date(), dtpTime->time());
    accept();
}

void TDlgAnyDataTimeSet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}
