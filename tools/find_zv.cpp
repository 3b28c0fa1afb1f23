#include "tools/find_zv.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/prompter.h"
#include "common/wait_hook.h"
#include "device/device.h"
#include "device/wait.h"
#include "tools/meter_search.h"
#include "tools/sn_list.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <optional>

const char* const kSearchingText = "Идет поиск счетчиков.";
const char* const kSearchDoneText = "Поиск завершен";
const char* const kPortBusyText = "COM-порт занят. Перед поиском счетчиков закройте соединение.";

namespace {

const char* const kFoundCaption = "Найденные счетчики";
const char* const kSection = "config";
const char* const kLoKey = "FindZV_LoSN";
const char* const kHiKey = "FindZV_HiSN";
const char* const kCountKey = "FindZV_CntNode";
const char* const kTimeoutKey = "FindZV_TmOut";
const int kNoLimitMaximum = 99999999;

TFindZV* g_current = nullptr;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TFindZV::TFindZV(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Поиск счетчиков"));

    GroupBox1 = new QGroupBox(Utf8(kFoundCaption), this);
    ListBox1 = new QListWidget(GroupBox1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    (new QVBoxLayout(GroupBox1))->addWidget(ListBox1);

    Label2 = new QLabel(QStringLiteral("Параметры поиска"), this);
    LoSN = new QLineEdit(this);
    LoSN->setObjectName(QStringLiteral("LoSN"));
    LoSN->setToolTip(QStringLiteral(
        "Данное поле должно содержать минимальные значения цифр заводского номера искомых счетчиков"));
    HiSN = new QLineEdit(this);
    HiSN->setObjectName(QStringLiteral("HiSN"));
    HiSN->setToolTip(QStringLiteral(
        "Данное поле должно содержать максимальные значения цифр заводского номера искомых счетчиков"));
    auto spin = [this](const char* name, int maximum, int step, const char* hint) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, maximum);
        box->setSingleStep(step);
        box->findChild<QLineEdit*>()->setReadOnly(true);  // changed by the arrows only
        box->setToolTip(Utf8(hint));
        return box;
    };
    UpDown1 = spin("UpDown1", 10000, 1,
                   "Если указать значение больше нуля, то поиск будет остановлен как только будет найдено искомое "
                   "количество счетчиков");
    UpDown2 = spin("UpDown2", 5000, 100, "Максимальное время ожидания ответа");
    Button1 = new QPushButton(QStringLiteral("Сохранить"), this);
    Button2 = new QPushButton(QStringLiteral("Выход"), this);
    Button3 = new QPushButton(QStringLiteral("Найти"), this);

    auto* params = new QFormLayout;
    params->addRow(Label2);
    params->addRow(QStringLiteral("Начальный S/N: "), LoSN);
    params->addRow(QStringLiteral("Конечный S/N: "), HiSN);
    params->addRow(QStringLiteral("Количество счетчиков:"), UpDown1);
    params->addRow(QStringLiteral("Таймаут для поиска:"), UpDown2);
    params->addRow(Button1);
    params->addRow(Button2);
    params->addRow(Button3);
    auto* main = new QHBoxLayout;
    main->addLayout(params);
    main->addWidget(GroupBox1, 1);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, kNoLimitMaximum);
    ProgressBar1->setValue(0);
    auto* all = new QVBoxLayout(this);
    all->addLayout(main, 1);
    all->addWidget(ProgressBar1);

    connect(Button1, &QPushButton::clicked, this, &TFindZV::SaveList);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &TFindZV::Search);

    ReadSettings();
    if (!g_current) g_current = this;
}

TFindZV::~TFindZV()
{
    if (g_current == this) g_current = nullptr;
}

TFindZV* TFindZV::Current() { return g_current; }

QStringList TFindZV::FoundNumbers() const
{
    QStringList numbers;
    for (int i = 0; i < ListBox1->count(); ++i) numbers.append(ListBox1->item(i)->text());
    return numbers;
}

void TFindZV::ReadSettings()
{
    const TMyIniFile ini(SettingsFilePath());
    const QString section = QLatin1String(kSection);
    LoSN->setText(ini.ReadString(section, QLatin1String(kLoKey), QStringLiteral("00000000")));
    HiSN->setText(ini.ReadString(section, QLatin1String(kHiKey), QStringLiteral("99999999")));
    UpDown1->setValue(ini.ReadInteger(section, QLatin1String(kCountKey), 0));
    UpDown2->setValue(ini.ReadInteger(section, QLatin1String(kTimeoutKey), 300));
}

void TFindZV::WriteSettings()
{
    TMyIniFile ini(SettingsFilePath());
    const QString section = QLatin1String(kSection);
    ini.WriteString(section, QLatin1String(kLoKey), LoSN->text());
    ini.WriteString(section, QLatin1String(kHiKey), HiSN->text());
    ini.WriteInteger(section, QLatin1String(kCountKey), UpDown1->value());
    ini.WriteInteger(section, QLatin1String(kTimeoutKey), UpDown2->value());
}

void TFindZV::done(int result)
{
    try {
        WriteSettings();
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
    QDialog::done(result);
}

void TFindZV::ShowFoundCount()
{
    GroupBox1->setTitle(Utf8(kFoundCaption) + QStringLiteral(" - ") + QString::number(ListBox1->count()));
}

void TFindZV::PlaceWaitWindow()
{
    if (auto* window = dynamic_cast<QWidget*>(CurrentWaitWindow()))
        window->move(frameGeometry().left(), frameGeometry().bottom() + 1);
}

void TFindZV::Search()
{
    const int limit = UpDown1->value();
    ProgressBar1->setRange(0, limit > 0 ? limit : kNoLimitMaximum);
    TMeterSearch search(Link);
    search.LoSN = LoSN->text();
    search.HiSN = HiSN->text();
    search.CountLimit = limit;
    search.TimeoutMs = UpDown2->value();
    search.OnFound = [this](const QString& serial) {
        ListBox1->addItem(serial);
        ShowFoundCount();
    };
    search.OnProgress = [this](qint64 position) { ProgressBar1->setValue(int(position)); };

    // The buttons stay off while the search pumps the window's events.
    for (QPushButton* button : {Button1, Button2, Button3}) button->setEnabled(false);
    std::optional<TWait> wait;
    bool failed = false;
    try {
        TheDevice().Disconnect();
        search.Connect(ConnectionString);
        if (!CurrentWaitWindow()) wait.emplace();
        SetWaitStatus(Utf8(kSearchingText));
        PlaceWaitWindow();
        ListBox1->clear();
        GroupBox1->setTitle(Utf8(kFoundCaption));
        search.Run();
    } catch (const TError& e) {
        failed = e.Message != Utf8(kCancelledMessage);
    }
    try {
        Link.Disconnect();
    } catch (const TError&) {
        // the port is closed whatever the line answered
    }
    wait.reset();
    for (QPushButton* button : {Button1, Button2, Button3}) button->setEnabled(true);
    if (failed) {
        Prompter().ShowInfo(Utf8(kPortBusyText));
        return;
    }
    ProgressBar1->setValue(ProgressBar1->maximum());
    Prompter().ShowInfo(Utf8(kSearchDoneText));
}

void TFindZV::SaveList()
{
    TFileDialogRequest request;
    request.Folder = SnListFolder();
    request.Filter = Utf8(kSnListFilter);
    request.DefaultExt = QLatin1String(kSnListExt);
    QString fileName;
    if (!Prompter().AskSaveFile(request, &fileName)) return;
    try {
        WriteSnList(fileName, FoundNumbers());
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
}
