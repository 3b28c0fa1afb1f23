#include "tools/modem_face.h"

#include "tools/com_face.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

enum { kPulse = 0, kTone = 1 };  // cbTypeDial
const char* const kDefaultBaud = "9600";

// The number in the edit, or def when it holds none; seconds fit a byte.
uint8_t SecondsOr(const QLineEdit* edit, uint8_t def)
{
    bool ok = false;
    const uint value = edit->text().trimmed().toUInt(&ok);
    return ok ? uint8_t(qMin(value, 255u)) : def;
}

}  // namespace

TModemFace::TModemFace(const QStringList& ports, QWidget* parent) : TPortFace(parent)
{
    auto* form = new QFormLayout(this);
    auto row = [this, form](const char* labelName, const char* text, QWidget* field, const char* fieldName) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setObjectName(QLatin1String(labelName));
        label->setBuddy(field);
        field->setObjectName(QLatin1String(fieldName));
        form->addRow(label, field);
    };
    edTelNumber = new QLineEdit(this);
    cbTypeDial = new QComboBox(this);
    cbTypeDial->addItems({QStringLiteral("импульсный"), QStringLiteral("тональный")});
    edInitString = new QLineEdit(this);
    cbNumPort = new QComboBox(this);
    cbNumPort->addItems(ports);
    cbBaudrate = new QComboBox(this);
    cbBaudrate->setEditable(true);
    cbBaudrate->addItems({"1200", "2400", "4800", "9600", "19200", "38400"});
    edWaitConnect = new QLineEdit(this);
    eTimeout = new QLineEdit(this);
    useRLSD = new QCheckBox(QStringLiteral("Использовать RLSD"), this);
    useRLSD->setObjectName(QStringLiteral("useRLSD"));

    row("Label1", "Номер телефона:", edTelNumber, "edTelNumber");
    row("Label7", "Тип набора номера:", cbTypeDial, "cbTypeDial");
    row("Label2", "Строка инициализации:", edInitString, "edInitString");
    row("Label4", "Номер  порта:", cbNumPort, "cbNumPort");
    row("Label3", "Скорость обмена:", cbBaudrate, "cbBaudrate");
    row("Label8", "Ожидать соединение (с):", edWaitConnect, "edWaitConnect");
    row("Label6", "Отключить модем при простое (с):", eTimeout, "eTimeout");
    form->addRow(useRLSD);
    cbTypeDial->setCurrentIndex(kTone);
    ShowPrm(Settings, false);
}

void TModemFace::ShowPrm(const TModemPrm& prm, bool ownPort)
{
    Settings = prm;
    QString phone = prm.Phone;
    if (phone.startsWith(QLatin1Char('P')) || phone.startsWith(QLatin1Char('T'))) {
        cbTypeDial->setCurrentIndex(phone.startsWith(QLatin1Char('P')) ? kPulse : kTone);
        phone.remove(0, 1);
    }
    edTelNumber->setText(phone);
    SelectComPort(cbNumPort, prm.Port, ownPort);
    edInitString->setText(prm.Init);
    const QString baud = QString::number(prm.Baud);
    cbBaudrate->setCurrentText(cbBaudrate->findText(baud) >= 0 ? baud : QLatin1String(kDefaultBaud));
    edWaitConnect->setText(QString::number(prm.Wait));
    eTimeout->setText(QString::number(prm.Idle));
    useRLSD->setChecked(prm.Rlsd);
}

void TModemFace::ShowPort(const TPort& port) { ShowPrm(static_cast<const TModem&>(port).Prm(), true); }

void TModemFace::ReadControls()
{
    const QString number = edTelNumber->text();
    Settings.Phone = number.isEmpty()
        ? QString()
        : (cbTypeDial->currentIndex() == kPulse ? QStringLiteral("P") : QStringLiteral("T")) + number;
    Settings.Port = SelectedComPort(cbNumPort);
    Settings.Init = edInitString->text();
    bool ok = false;
    const uint baud = cbBaudrate->currentText().trimmed().toUInt(&ok);
    Settings.Baud = ok ? baud : 9600;
    Settings.Wait = SecondsOr(edWaitConnect, 15);
    Settings.Idle = SecondsOr(eTimeout, 10);
    Settings.Rlsd = useRLSD->isChecked();
}
