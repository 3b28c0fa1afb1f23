#include "app/led_config_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>

namespace {
const char* const kCaption = "Конфигурация светодиода";
const char* const kModeGroup = "Режим";
const char* const kModeMain = "основной";
const char* const kModeVerify = "поверка";
const char* const kOutputGroup = "Светодиод подключен к";
const char* const kPplus = "импортируемая активная мощность (P+)";
const char* const kPminus = "экспортируемая активная мощность (P-)";
const char* const kQplus = "импортируемая реактивная мощность (Q+)";
const char* const kQminus = "экспортируемая реактивная мощность (Q-)";
const char* const k16sec = "16-ти секундный периодический сигнал";
const char* const kOk = "OK";
const char* const kCancel = "Отмена";

const uint8_t kModeMainCode = 0;
const uint8_t kModeMainOldCode = 1;
const uint8_t kModeVerifyCode = 2;

const int kWidth = 400;
const int kShownHeight = 280;
const int kButtonsTop = 210;

QCheckBox* AddBox(QGroupBox* group, const char* name, const char* text, int top)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), group);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(16, top, kWidth - 48, 24);
    return box;
}
}  // namespace

TLedConfigDlg::TLedConfigDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LedConfigDlg"));
    setWindowTitle(QString::fromUtf8(kCaption));

    // The mode stays hidden: the meter's mode is written back as it is shown.
    rgMode = new QGroupBox(QString::fromUtf8(kModeGroup), this);
    rgMode->setObjectName(QStringLiteral("rgMode"));
    rgMode->setGeometry(8, 8, kWidth - 16, 80);
    rbMain = new QRadioButton(QString::fromUtf8(kModeMain), rgMode);
    rbMain->setGeometry(16, 24, 200, 24);
    rbVerify = new QRadioButton(QString::fromUtf8(kModeVerify), rgMode);
    rbVerify->setGeometry(16, 48, 200, 24);
    rgMode->hide();

    GroupBox1 = new QGroupBox(QString::fromUtf8(kOutputGroup), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, kWidth - 16, 190);
    cbPplus = AddBox(GroupBox1, "cbPplus", kPplus, 28);
    cbPminus = AddBox(GroupBox1, "cbPminus", kPminus, 60);
    cbQplus = AddBox(GroupBox1, "cbQplus", kQplus, 92);
    cbQminus = AddBox(GroupBox1, "cbQminus", kQminus, 124);
    cb16sec = AddBox(GroupBox1, "cb16sec", k16sec, 156);
    GroupBox1->hide();
    for (QCheckBox* box : {cbPplus, cbPminus, cbQplus, cbQminus})
        connect(box, &QCheckBox::toggled, this, &TLedConfigDlg::PowerBoxClicked);
    connect(cb16sec, &QCheckBox::toggled, this, &TLedConfigDlg::PeriodicBoxClicked);

    OKBtn = new QPushButton(QString::fromUtf8(kOk), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QString::fromUtf8(kCancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    OKBtn->setGeometry(kWidth - 184, 100, 80, 25);
    CancelBtn->setGeometry(kWidth - 96, 100, 80, 25);
    resize(kWidth, 140);
}

void TLedConfigDlg::ShowConfig(const TLedConfig& config)
{
    {
        // The meter's flags are shown as they are, even a combination the
        // boxes would not let the user make.
        const QSignalBlocker b1(cbPplus), b2(cbPminus), b3(cbQplus), b4(cbQminus), b5(cb16sec);
        cbPplus->setChecked(config.Flags & lfPplus);
        cbPminus->setChecked(config.Flags & lfPminus);
        cbQplus->setChecked(config.Flags & lfQplus);
        cbQminus->setChecked(config.Flags & lfQminus);
        cb16sec->setChecked(config.Flags & lf16sec);
    }
    UnlistedMode = config.Mode;
    rbMain->setAutoExclusive(false);
    rbVerify->setAutoExclusive(false);
    rbMain->setChecked(config.Mode == kModeMainCode || config.Mode == kModeMainOldCode);
    rbVerify->setChecked(config.Mode == kModeVerifyCode);
    rbMain->setAutoExclusive(true);
    rbVerify->setAutoExclusive(true);

    setWindowTitle(QString::fromUtf8(kCaption));
    resize(kWidth, kShownHeight);
    OKBtn->move(OKBtn->x(), kButtonsTop);
    CancelBtn->move(CancelBtn->x(), kButtonsTop);
    GroupBox1->show();
}

TLedConfig TLedConfigDlg::Config() const
{
    TLedConfig config;
    config.Mode = rbMain->isChecked() ? kModeMainCode : rbVerify->isChecked() ? kModeVerifyCode : UnlistedMode;
    config.Flags = (cbPplus->isChecked() ? lfPplus : 0) | (cbPminus->isChecked() ? lfPminus : 0)
                   | (cbQplus->isChecked() ? lfQplus : 0) | (cbQminus->isChecked() ? lfQminus : 0)
                   | (cb16sec->isChecked() ? lf16sec : 0);
    return config;
}

// The periodic signal and the power outputs exclude each other.
void TLedConfigDlg::PowerBoxClicked(bool checked)
{
    if (checked) cb16sec->setChecked(false);
}

void TLedConfigDlg::PeriodicBoxClicked(bool checked)
{
    if (!checked) return;
    for (QCheckBox* box : {cbPplus, cbPminus, cbQplus, cbQminus}) box->setChecked(false);
}

void TLedConfigDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}
