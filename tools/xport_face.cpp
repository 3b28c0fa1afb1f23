#include "tools/xport_face.h"

#include "connection/xport.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

struct TXPortField {
    const char* Label;
    const char* Design;
};

const TXPortField kFields[7] = {
    {"IP адрес:", "192.168.0.100"},
    {"Номер порта:", "10001"},
    {"Время ожидания ответа (мс):", "5000"},
    {"Интервал между байтами (мс):", "0"},
    {"Таймаут открытия соединения [ms]:", "10000"},
    {"Задержка после открытия соединения [ms]:", "200"},
    {"Задержка перед передачей пакета [ms]:", "25"},
};

}  // namespace

TXPortFace::TXPortFace(QWidget* parent) : TPortFace(parent)
{
    auto* form = new QFormLayout(this);
    for (int i = 0; i < 7; ++i) {
        LabeledEdit[i] = new QLineEdit(QString::fromUtf8(kFields[i].Design), this);
        LabeledEdit[i]->setObjectName(QStringLiteral("LabeledEdit%1").arg(i + 1));
        auto* label = new QLabel(QString::fromUtf8(kFields[i].Label), this);
        label->setBuddy(LabeledEdit[i]);
        form->addRow(label, LabeledEdit[i]);
    }
    ReadControls();
}

void TXPortFace::ShowPort(const TPort& port)
{
    const TXPortPrm& p = static_cast<const TXPort&>(port).Prm();
    const QStringList texts = {p.Host, p.Port, QString::number(p.ReplyTimeout), QString::number(p.InterByte),
                               QString::number(p.ConnectTimeout), QString::number(p.SettleDelay),
                               QString::number(p.SendDelay)};
    for (int i = 0; i < 7; ++i) LabeledEdit[i]->setText(texts[i]);
    ReadControls();
}

void TXPortFace::ReadControls()
{
    Texts.clear();
    for (QLineEdit* edit : LabeledEdit) Texts.append(edit->text());
}
