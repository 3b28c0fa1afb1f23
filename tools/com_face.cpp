#include "tools/com_face.h"

#include "common/error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

const char* const kComPrefix = "COM";

QStringList BaudItems() { return {"100", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400"}; }

uint32_t NumberOrZero(const QLineEdit* edit) { return edit->text().toUInt(); }

}  // namespace

void AllowDigitsOnly(QLineEdit* edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

void SelectComPort(QComboBox* box, int portNo, bool ownPort)
{
    const QString name = QLatin1String(kComPrefix) + QString::number(portNo);
    int index = box->findText(name);
    if (index < 0 && ownPort) {
        index = 0;
        while (index < box->count() && box->itemText(index).mid(3).toInt() < portNo) ++index;
        box->insertItem(index, name);
    }
    box->setCurrentIndex(qMax(index, 0));
}

uint8_t SelectedComPort(const QComboBox* box)
{
    bool ok = false;
    const int n = box->currentText().mid(3).toInt(&ok);
    return ok ? uint8_t(n) : 1;
}

TComFace::TComFace(TPortType kind, const QStringList& ports, QWidget* parent)
    : TPortFace(parent), PortKind(kind), Settings(DefaultComPrm(kind)), Form(new QFormLayout(this))
{
    auto row = [this](QLabel*& label, const char* name, const char* text, QWidget* field) {
        label = new QLabel(QString::fromUtf8(text), this);
        label->setObjectName(QLatin1String(name));
        label->setBuddy(field);
        Form->addRow(label, field);
    };
    auto combo = [this](const char* name, const QStringList& items, bool editable) {
        auto* box = new QComboBox(this);
        box->setObjectName(QLatin1String(name));
        box->setEditable(editable);
        box->addItems(items);
        return box;
    };
    cbNumPort = combo("cbNumPort", ports, false);
    cbBaudrate = combo("cbBaudrate", BaudItems(), true);
    cbParity = combo("cbParity", {"без паритета", "нечетность", "четность"}, false);
    cbNumStop = combo("cbNumStop", {"1", "2"}, false);
    cbHandshake = combo("cbHandshake", {"нет", "запитка от RTS", "аппаратное", "переключение RTS "}, false);
    eTimeout = new QLineEdit(this);
    eTimeout->setObjectName(QStringLiteral("eTimeout"));
    AllowDigitsOnly(eTimeout);
    eTimeInterval = new QLineEdit(this);
    eTimeInterval->setObjectName(QStringLiteral("eTimeInterval"));
    AllowDigitsOnly(eTimeInterval);
    cbEchoPresent = new QCheckBox(QStringLiteral("Контроль ''эхо-сигнала'"), this);
    cbEchoPresent->setObjectName(QStringLiteral("cbEchoPresent"));

    row(Label2, "Label2", "Номер  порта:", cbNumPort);
    row(Label1, "Label1", "Скорость обмена:", cbBaudrate);
    row(Label3, "Label3", "Вид паритета:", cbParity);
    row(Label4, "Label4", "Число стоповых бит:", cbNumStop);
    row(Label5, "Label5", "Управление потоком:", cbHandshake);
    row(Label6, "Label6", "Время ожидания ответа (мс):", eTimeout);
    row(Label7, "Label7", "Интервал между байтами (мс):", eTimeInterval);
    Form->addRow(cbEchoPresent);
    ShowTimeouts(false);
    ShowPrm(Settings, false);
}

void TComFace::SetRowShown(QWidget* field, bool shown) { Form->setRowVisible(field, shown); }

void TComFace::ShowTimeouts(bool shown)
{
    SetRowShown(eTimeout, shown);
    SetRowShown(eTimeInterval, shown);
}

void TComFace::SetBaudItems(const QStringList& items)
{
    const QString shown = cbBaudrate->currentText();
    cbBaudrate->clear();
    cbBaudrate->addItems(items);
    cbBaudrate->setCurrentText(shown);
}

void TComFace::ShowPrm(const TComPrm& prm, bool ownPort)
{
    Settings = prm;
    SelectComPort(cbNumPort, prm.PortNo, ownPort);
    cbBaudrate->setCurrentText(QString::number(prm.BaudRate));
    cbParity->setCurrentIndex(prm.Parity);
    cbHandshake->setCurrentIndex(prm.LineMode);
    cbNumStop->setCurrentIndex(prm.StopBits - 1);
    eTimeout->setText(QString::number(prm.ReadTimeout));
    eTimeInterval->setText(QString::number(prm.InterByte));
    cbEchoPresent->setChecked(prm.Echo != 0);
}

void TComFace::ShowPort(const TPort& port) { ShowPrm(static_cast<const TCom&>(port).Prm(), true); }

void TComFace::ReadControls()
{
    bool ok = false;
    const uint baud = cbBaudrate->currentText().trimmed().toUInt(&ok);
    if (!ok) throw TError(QString::fromUtf8(kComPrmError));
    Settings.PortNo = SelectedComPort(cbNumPort);
    Settings.BaudRate = baud;
    Settings.Parity = uint8_t(cbParity->currentIndex());
    Settings.LineMode = uint8_t(cbHandshake->currentIndex());
    Settings.StopBits = uint8_t(cbNumStop->currentText().toUInt());
    Settings.ReadTimeout = NumberOrZero(eTimeout);
    Settings.InterByte = NumberOrZero(eTimeInterval);
    Settings.Echo = cbEchoPresent->isChecked() ? 1 : 0;
}

QString TComFace::FaceParams() const { return ComPrmText(PortKind, Settings); }
