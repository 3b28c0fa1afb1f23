#include "tools/connection_dlg.h"

#include "common/error.h"
#include "common/prompter.h"
#include "connection/com_names.h"
#include "connection/connection_string.h"
#include "tools/cl_face.h"
#include "tools/find_zv.h"
#include "tools/mbus_face.h"
#include "tools/modem_face.h"
#include "tools/opto_face.h"
#include "tools/plc_modem_face.h"
#include "tools/rs232_face.h"
#include "tools/rs485_face.h"
#include "tools/sn_list.h"
#include "tools/xport_face.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

const char* const kAddConnectionCaption = "Добавление нового подключения";
const char* const kEditConnectionCaption = "Редактирование текущего подключения";

namespace {

const char* const kAnyMask = "????????";
const int kMaskLength = 8;

// The parsed string, or what could be read of it before the parse failed:
// the name always, the link settings when they came before the failure. The
// transport is then the placeholder, which no panel edits.
TParsedConnection ParseWhatCan(const QString& text)
{
    try {
        return ParseConnection(text);
    } catch (const TError&) {
    }
    TParsedConnection partial;
    const int eq = text.indexOf(QLatin1Char('='));
    partial.Name = eq >= 0 ? text.left(eq) : QString();
    const QString rest = text.mid(eq + 1);
    const int close = rest.indexOf(QLatin1Char(']'));
    if (close >= 0) {
        try {
            TParsedConnection head = ParseConnection(QLatin1Char('=') + rest.left(close + 1));
            partial.NetAddress = head.NetAddress;
            partial.Repetitions = head.Repetitions;
            partial.Mask = head.Mask;
            partial.Framing = head.Framing;
        } catch (const TError&) {
        }
    }
    partial.Port = std::make_unique<TUnknownPort>();
    return partial;
}

// A spin edit whose field, when it stops holding a number (cleared), shows 0 at once.
QSpinBox* ByteSpin(QWidget* parent, const char* name)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(0, 255);
    auto* edit = spin->findChild<QLineEdit*>();
    QObject::connect(edit, &QLineEdit::textChanged, spin, [spin](const QString& text) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value > 255) spin->setValue(0);
    });
    return spin;
}

}  // namespace

TConfigDlg::TConfigDlg(const QString& caption, const QString& connection, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);
    const TParsedConnection parsed = ParseWhatCan(connection);

    pcFaces = new QTabWidget(this);
    pcFaces->setObjectName(QStringLiteral("pcFaces"));
    const QStringList ports = EnumerateComPorts();
    Faces = {new TOptoFace(ports), new TRS232Face(ports), new TRS485Face(ports), new TCLFace(ports),
             new TMBUSFace(ports), new TPLCModemFace(ports), new TModemFace(ports), new TXPortFace};
    for (TPortFace* face : Faces) {
        pcFaces->addTab(face, face->FaceCaption());
        if (face->Kind() == parsed.Port->TypeId()) {
            face->ShowPort(*parsed.Port);
            face->Active = true;
            pcFaces->setCurrentWidget(face);
        }
    }

    eNameConnect = new QLineEdit(parsed.Name, this);
    eNameConnect->setObjectName(QStringLiteral("eNameConnect"));
    // The name ends at the first "=" of the string.
    eNameConnect->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^=]*")), this));
    eNetAdr = ByteSpin(this, "eNetAdr");
    eNetAdr->setValue(parsed.NetAddress);
    eNumAttempts = ByteSpin(this, "eNumAttempts");
    eNumAttempts->setValue(parsed.Repetitions);
    SNCheck = new QCheckBox(QStringLiteral("Использовать адресацию по заводскому номеру [S/N]"), this);
    SNCheck->setObjectName(QStringLiteral("SNCheck"));
    SNLabel = new QLabel(QStringLiteral("Маска S/N:"), this);
    SNEdit = new QComboBox(this);
    SNEdit->setObjectName(QStringLiteral("SNEdit"));
    SNEdit->setEditable(true);
    SNEdit->setMaxVisibleItems(20);
    SNEdit->setInsertPolicy(QComboBox::NoInsert);
    // The mask sits inside the link settings: no separators in it.
    SNEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^,\\]]{0,8}")), this));
    SNEdit->setToolTip(QStringLiteral("Введите заводской номер из 8 симвлов (?-любой символ)"));
    if (QFile::exists(SnSavePath())) SNEdit->addItems(ReadSnList(SnSavePath()));
    SNEdit->setEditText(parsed.Mask.isEmpty() ? QLatin1String(kAnyMask) : parsed.Mask);
    SNLoad = new QPushButton(QStringLiteral("Загрузить"), this);
    SNFind = new QPushButton(QStringLiteral("Найти"), this);
    cbProtocol = new QCheckBox(QStringLiteral("Использовать расширенный протокол"), this);
    cbProtocol->setObjectName(QStringLiteral("cbProtocol"));
    cbProtocol->setChecked(parsed.Framing == 1);
    EnableSerialAddressing(!parsed.Mask.isEmpty());
    SNCheck->setChecked(!parsed.Mask.isEmpty());

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Отмена"), this);

    auto* common = new QFormLayout;
    common->addRow(QStringLiteral("Название подключения"), eNameConnect);
    common->addRow(QStringLiteral("Сетевой адрес устройства:"), eNetAdr);
    common->addRow(QStringLiteral("Количество повторов при ошибках"), eNumAttempts);
    common->addRow(SNCheck);
    auto* snRow = new QHBoxLayout;
    snRow->addWidget(SNEdit, 1);
    snRow->addWidget(SNLoad);
    snRow->addWidget(SNFind);
    common->addRow(SNLabel, snRow);
    common->addRow(cbProtocol);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(OKBtn, QDialogButtonBox::AcceptRole);
    buttons->addButton(CancelBtn, QDialogButtonBox::RejectRole);
    auto* all = new QVBoxLayout(this);
    all->addWidget(pcFaces);
    all->addLayout(common);
    all->addWidget(buttons);

    connect(SNCheck, &QCheckBox::toggled, this, &TConfigDlg::EnableSerialAddressing);
    connect(SNLoad, &QPushButton::clicked, this, &TConfigDlg::LoadSnList);
    connect(SNFind, &QPushButton::clicked, this, &TConfigDlg::FindMeters);
    connect(buttons, &QDialogButtonBox::accepted, this, &TConfigDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TConfigDlg::reject);
}

void TConfigDlg::EnableSerialAddressing(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(SNEdit), static_cast<QWidget*>(SNLabel),
                       static_cast<QWidget*>(SNLoad), static_cast<QWidget*>(SNFind)})
        w->setEnabled(enabled);
}

QString TConfigDlg::BuildConnection()
{
    auto* face = qobject_cast<TPortFace*>(pcFaces->currentWidget());
    if (!face) return QString();
    QString text;
    if (!eNameConnect->text().isEmpty()) text = eNameConnect->text() + QLatin1Char('=');
    text += face->FaceKeyword();
    const int address = eNetAdr->value();
    const int repetitions = eNumAttempts->value();
    const bool bySerial = SNCheck->isChecked();
    if (address != 0 || repetitions != 0 || bySerial || cbProtocol->isChecked()) {
        const QString mask = SNEdit->currentText().leftJustified(kMaskLength, QLatin1Char('?'), true);
        text += QStringLiteral("[%1,%2,%3,%4]")
                    .arg(address)
                    .arg(repetitions)
                    .arg(bySerial ? mask : QString())
                    .arg(cbProtocol->isChecked() ? 1 : 0);
    }
    face->ReadControls();
    const QString params = face->FaceParams();
    if (!params.isEmpty()) text += QLatin1Char('(') + params + QLatin1Char(')');
    return text;
}

void TConfigDlg::accept()
{
    try {
        Built = BuildConnection();
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
        return;
    }
    QDialog::accept();
}

void TConfigDlg::ReplaceSnItems(const QStringList& numbers)
{
    const QString shown = SNEdit->currentText();
    SNEdit->clear();
    SNEdit->addItems(numbers);
    SNEdit->setEditText(shown);
}

void TConfigDlg::LoadSnList()
{
    TFileDialogRequest request;
    request.Folder = SnListFolder();
    request.Filter = QString::fromUtf8(kSnListFilter);
    request.DefaultExt = QLatin1String(kSnListExt);
    QString fileName;
    if (Prompter().AskOpenFile(request, &fileName) && QFile::exists(fileName)) ReplaceSnItems(ReadSnList(fileName));
}

void TConfigDlg::FindMeters()
{
    try {
        const QString connection = BuildConnection();
        std::unique_ptr<TFindZV> own;
        TFindZV* search = TFindZV::Current();
        if (!search) {
            own = std::make_unique<TFindZV>(this);
            search = own.get();
        }
        search->SetConnectionString(connection);
        search->exec();
        const QStringList found = search->FoundNumbers();
        ReplaceSnItems(found);
        if (QFile::exists(SnSavePath())) WriteSnList(SnSavePath(), found);
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
}

QString ShowConnectionDialog(const QString& caption, const QString& connection, QWidget* parent)
{
    TConfigDlg dialog(caption, connection, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.Result() : QString();
}
