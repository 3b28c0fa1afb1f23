#include "app/main_form.h"

#include "app/page_registry.h"
#include "device/device.h"
#include "pages/about_box.h"
#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/prompter.h"
#include "pages/action.h"
#include "pages/frame_base.h"
#include "tools/connection_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QStyle>
#include <QToolButton>

const char* const kMainCaption = "Сервис для электросчетчика ";

namespace {

struct TActionRow {
    const char* Name;
    const char* Category;
    const char* Caption;
    char Shortcut;  // Ctrl + letter, 0 = none
};

// The main window's actions in list order; handlers are bound in CreateActions.
const TActionRow kActionRows[] = {
    {"Read", "MainAction", "Чтение", 'R'},
    {"Auto", "MainAction", "Авто", 'A'},
    {"Write", "MainAction", "Запись", 'W'},
    {"AddConnection", "Connection", "Добавить подключение", 'N'},
    {"DeleteConnection", "Connection", "Удалить подключение", 'D'},
    {"EditConnection", "Connection", "Редактировать подключение", 'E'},
    {"ConfigModem", "Service", "Конфигурация модема...", 0},
    {"SyncTime", "Service", "Синхронизация времени", 0},
    {"SetTime", "Service", "Установка даты и времени...", 0},
    {"NewParol", "Service", "Новый пароль...", 0},
    {"ClearComercArh", "Service", "Обнуление счетчика", 0},
    {"ClearEx", "Service", "ClearEx", 0},
    {"Special", "Service", "Special", 0},
    {"ConfigLED", "Service", "Конфигурация светодиода...", 0},
    {"SelectPage", "Special", "Выбрать закладку", 0},
    {"ReadHash", "Special", "Прочитать тип, серийный номер и ID ", 0},
    {"SaveToFile", "FrameDependance", "SaveToFile", 0},
    {"LoadFromFile", "FrameDependance", "LoadFromFile", 0},
    {"PrintChart", "FrameDependance", "PrintChart", 0},
    {"PrintTable", "FrameDependance", "PrintTable", 0},
    {"SaveToXLS", "FrameDependance", "SaveToXLS", 0},
    {"ForConnection", "Special", "ForConnection", 0},
    {"NextConnection", "Special", "NextConnection", 0},
    {"SetStamp", "Service", "Установить электронную пломбу", 0},
    {"ClickButton", "Special", "ClickButton", 0},
    {"SetNetAdr", "Service", "SetNetAdr", 0},
    {"Pause", "Service", "Pause", 0},
    {"RepeatLastMacro", "MainAction", "Повторить последнюю макрокоманду", 'L'},
    {"Repeat", "Special", "Repeat", 0},
    {"ResursBattery", "Service", "Ресурс батареи", 0},
    {"SelectTab", "Special", "SelectTab", 0},
    {"SetResursBattery", "Service", "SetResursBattery", 0},
    {"SetBaudRate", "Service", "SetBaudRate", 0},
    {"SetGSM1", "Service", "Конфигурация GSM-модуля", 0},
    {"ControlLoad", "Service", "Управление нагрузкой", 0},
    {"SetTransit", "Special", "SetTransit", 0},
    {"SetupTransit", "Special", "SetupTransit", 0},
    {"SetExtMod", "Service", "SetExtMod", 0},
    {"ControlLoadOn", "Service", "ControlLoadOn", 0},
    {"ControlLoadOff", "Service", "ControlLoadOff", 0},
};

const char* const kInvisibleActions[] = {"ConfigModem", "SetStamp", "ResursBattery", "SetGSM1"};

const QString kCommon = QStringLiteral("common");
const QString kMainFormSection = QStringLiteral("MainForm");

}  // namespace

TMainForm::TMainForm(const QString& startupMacro, QWidget* parent)
    : QMainWindow(parent), ActionList(new TActionList(this)), StartupMacro(startupMacro)
{
    ConnectionDialog = [this](const QString& caption, const QString& line) {
        return ShowConnectionDialog(caption, line, this);
    };
    setWindowTitle(QString::fromUtf8(kMainCaption));
    resize(800, 600);
    setMinimumSize(800, 600);

    CreateActions();
    CreateToolBar();
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    setCentralWidget(PageControl);
    CreateStatusBar();
    CreateMenus();
    CreateTimers();

    LoadConnections();
    TFrameBase::SetActionList(ActionList);
    // The commands that change a meter are hidden unless the engineer opts in,
    // so writing from the window (not only from macros) stays possible.
    const bool showRestricted = TMyIniFile(SettingsFilePath()).ReadBool(kCommon, QStringLiteral("show_restricted"), false);
    HideRestrictedActions(*ActionList, showRestricted);
    BuildPages(PageControl);
    connect(PageControl, &QTabWidget::currentChanged, this, &TMainForm::PageChanged);
    Macro.MacroFolder = TConnectionList::Folder();
    FillMacroMenu();
    StartupMacroPending = !StartupMacro.isEmpty() && QFileInfo::exists(StartupMacro);
    ShowNetAddress();
    RestoreWindow();
    PageChanged();
}

TMainForm::~TMainForm()
{
    delete Services;
    TFrameBase::SetActionList(nullptr);
}

void TMainForm::CreateActions()
{
    for (const TActionRow& row : kActionRows) {
        TAction* action = ActionList->Add(QString::fromUtf8(row.Name), QString::fromUtf8(row.Category),
                                          QString::fromUtf8(row.Caption));
        if (row.Shortcut) action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(row.Shortcut)));
        addAction(action);  // shortcuts work while the window has the focus
    }
    for (const char* name : kInvisibleActions) ActionList->FindAction(QString::fromUtf8(name))->setVisible(false);

    auto bind = [this](const char* name, TAction::Handler handler) {
        ActionList->FindAction(QString::fromUtf8(name))->OnExecute = std::move(handler);
    };
    TAction* read = ActionList->FindAction(QStringLiteral("Read"));
    read->setCheckable(true);
    read->setToolTip(QStringLiteral("Прочитать"));
    read->setStatusTip(QStringLiteral(" Прочитать с электросчетчика"));
    bind("Read", [this](TAction& a) {
        if (!a.StartedFromControl) a.setChecked(!a.isChecked());  // a control's trigger toggles it itself
        RunPageOperation(a, &TFrameBase::Read);
    });
    bind("Write", [this](TAction& a) { RunPageOperation(a, &TFrameBase::Write); });
    ActionList->FindAction(QStringLiteral("Write"))->setToolTip(QStringLiteral("Записать"));
    ActionList->FindAction(QStringLiteral("Write"))->setStatusTip(QStringLiteral(" Записать в электросчетчик"));
    TAction* autoAction = ActionList->FindAction(QStringLiteral("Auto"));
    autoAction->setCheckable(true);
    autoAction->setToolTip(QStringLiteral("Автоопрос"));
    autoAction->setStatusTip(QStringLiteral(" Автоопрос"));
    bind("Auto", [this](TAction& a) {
        if (!a.StartedFromControl) a.setChecked(!a.isChecked());
        AutoExecute();
    });
    bind("ClearEx", [this](TAction& a) { RunPageOperation(a, &TFrameBase::ClearEx); });
    bind("Special", [this](TAction& a) { RunPageOperation(a, &TFrameBase::Special); });
    bind("ReadHash", [this](TAction& a) { ReadHash(a); });
    bind("SaveToFile", [this](TAction& a) { FileAction(a, &TFrameBase::SaveToFile); });
    bind("SaveToXLS", [this](TAction& a) { FileAction(a, &TFrameBase::SaveToXLS); });
    bind("LoadFromFile", [this](TAction& a) { FileAction(a, &TFrameBase::LoadFromFile); });
    bind("PrintChart", [this](TAction& a) { FileAction(a, nullptr); });
    bind("PrintTable", [this](TAction& a) { FileAction(a, nullptr); });
    bind("AddConnection", [this](TAction& a) { AddConnection(a); });
    bind("EditConnection", [this](TAction& a) { EditConnection(a); });
    bind("DeleteConnection", [this](TAction& a) { DeleteConnection(a); });
    bind("SelectPage", [this](TAction& a) {
        if (SelectPageByCaption(MacroArg()) != 0) a.Tag = -1;
    });
    bind("ClickButton", [this](TAction&) {
        if (Page) Page->ClickButton(MacroArg());
    });
    bind("SelectTab", [this](TAction&) {
        if (Page) Page->SelectTab(MacroArg());
    });
    bind("ForConnection", [this](TAction&) { Macro.ForConnection(); });
    bind("NextConnection", [this](TAction&) { Macro.NextConnection(); });
    bind("Repeat", [this](TAction&) { Macro.Repeat(); });
    bind("Pause", [this](TAction&) { Macro.Pause(); });
    bind("RepeatLastMacro", [this](TAction&) { Macro.RepeatLastMacro(); });
    Services = new TServiceCommands(*this, TheDevice());
    Services->Install(*ActionList);
}

void TMainForm::CreateToolBar()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel"));
    panel->setFixedHeight(37);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(4, 2, 4, 2);
    auto button = [panel, layout](const char* name, QAction* action) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QString::fromUtf8(name));
        b->setDefaultAction(action);
        // A tool button follows its action's state but not its visibility.
        b->setVisible(action->isVisible());
        QObject::connect(action, &QAction::changed, b, [b, action] { b->setVisible(action->isVisible()); });
        layout->addWidget(b);
        return b;
    };
    button("sbRead", ActionList->FindAction(QStringLiteral("Read")));
    sbAuto = button("sbAuto", ActionList->FindAction(QStringLiteral("Auto")));
    button("sbWrite", ActionList->FindAction(QStringLiteral("Write")));

    lbConnect = new QLabel(QStringLiteral("Подключение"), panel);
    lbConnect->setObjectName(QStringLiteral("lbConnect"));
    lbConnect->installEventFilter(this);
    layout->addWidget(lbConnect);
    cbConnection = new QComboBox(panel);
    cbConnection->setObjectName(QStringLiteral("cbConnection"));
    cbConnection->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Long connection names must not squeeze the buttons out of the tool bar.
    cbConnection->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbConnection->setMinimumContentsLength(16);
    for (const char* name : {"AddConnection", "EditConnection", "DeleteConnection"})
        cbConnection->addAction(ActionList->FindAction(QString::fromUtf8(name)));
    connect(cbConnection, QOverload<int>::of(&QComboBox::activated), this, &TMainForm::ConnectionSelected);
    layout->addWidget(cbConnection, 1);

    auto* netPanel = new QWidget(panel);
    netPanel->setObjectName(QStringLiteral("NetAdrPanel"));
    auto* netLayout = new QHBoxLayout(netPanel);
    netLayout->setContentsMargins(0, 0, 0, 0);
    netLayout->addWidget(new QLabel(QStringLiteral("Сетевой\nадрес:"), netPanel));
    eNetAdr = new QLineEdit(QStringLiteral("0"), netPanel);
    eNetAdr->setObjectName(QStringLiteral("eNetAdr"));
    eNetAdr->setFixedWidth(40);
    eNetAdr->installEventFilter(this);
    connect(eNetAdr, &QLineEdit::textChanged, this, &TMainForm::NetAddressEdited);
    netLayout->addWidget(eNetAdr);
    for (int step : {+1, -1}) {
        auto* arrow = new QToolButton(netPanel);
        arrow->setObjectName(step > 0 ? QStringLiteral("NetAdrUp") : QStringLiteral("NetAdrDown"));
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        connect(arrow, &QToolButton::clicked, this, [this, step] {
            const int value = qBound(0, eNetAdr->text().toInt() + step, 255);
            eNetAdr->setText(QString::number(value));
        });
        netLayout->addWidget(arrow);
    }
    layout->addWidget(netPanel);

    auto* connectPanel = new QWidget(panel);
    connectPanel->setObjectName(QStringLiteral("ConnectBtnPanel"));
    auto* connectLayout = new QHBoxLayout(connectPanel);
    connectLayout->setContentsMargins(0, 0, 0, 0);
    sbConnect = new QToolButton(connectPanel);
    sbConnect->setObjectName(QStringLiteral("sbConnect"));
    sbConnect->setText(QStringLiteral("Установить связь"));
    sbConnect->setToolTip(QStringLiteral("Установить связь"));
    sbConnect->setStatusTip(QStringLiteral("  Установить связь с удаленным модемом"));
    sbDisconnect = new QToolButton(connectPanel);
    sbDisconnect->setObjectName(QStringLiteral("sbDisconnect"));
    sbDisconnect->setText(QStringLiteral("Разорвать связь"));
    sbDisconnect->setToolTip(QStringLiteral("Разорвать связь"));
    sbDisconnect->setStatusTip(QStringLiteral("  Разорвать связь с удаленным модемом"));
    sbConnect->setEnabled(false);
    sbDisconnect->setEnabled(false);
    connect(sbConnect, &QToolButton::clicked, this, &TMainForm::ConnectButton);
    connect(sbDisconnect, &QToolButton::clicked, this, &TMainForm::DisconnectButton);
    // Speed buttons: a picture, and the short hint as the tool tip.
    sbConnect->setIcon(style()->standardIcon(QStyle::SP_DialogYesButton));
    sbDisconnect->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    for (QToolButton* b : {sbConnect, sbDisconnect}) b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connectLayout->addWidget(sbConnect);
    connectLayout->addWidget(sbDisconnect);
    layout->addWidget(connectPanel);

    QToolBar* bar = addToolBar(QStringLiteral("Panel"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    bar->addWidget(panel);
}

void TMainForm::CreateStatusBar()
{
    const int widths[4] = {25, 300, 170, 200};
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(statusBar());
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setFixedWidth(widths[i]);
        if (i == 0 || i == 2) StatusPanels[i]->setAlignment(Qt::AlignCenter);
        statusBar()->addWidget(StatusPanels[i]);
    }
    StatusPanels[0]->installEventFilter(this);
}

void TMainForm::CreateMenus()
{
    auto add = [this](QMenu* menu, const char* name) {
        menu->addAction(ActionList->FindAction(QString::fromUtf8(name)));
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    add(file, "Read");
    add(file, "Write");
    file->addSeparator();
    for (const char* name : {"SaveToFile", "SaveToXLS", "LoadFromFile", "PrintChart", "PrintTable"}) add(file, name);
    file->addSeparator();
    file->addAction(QStringLiteral("Выход"), this, &QWidget::close);

    MacroMenu = menuBar()->addMenu(QStringLiteral("Макрокоманды"));
    MacroMenu->menuAction()->setVisible(false);

    QMenu* settings = menuBar()->addMenu(QStringLiteral("Настройки"));
    QAction* editPort = settings->addAction(QStringLiteral("Настройка основного порта..."));
    connect(editPort, &QAction::triggered, ActionList->FindAction(QStringLiteral("EditConnection")), &QAction::trigger);

    QMenu* service = menuBar()->addMenu(QStringLiteral("Сервис"));
    for (const char* name : {"SyncTime", "SetTime"}) add(service, name);
    TAction* extMod = ActionList->FindAction(QStringLiteral("SetExtMod"));
    QAction* extModItem = service->addAction(QStringLiteral("Конфигурация модуля расширения..."));
    connect(extModItem, &QAction::triggered, extMod, &QAction::trigger);
    connect(extMod, &QAction::changed, extModItem, [extMod, extModItem] {
        extModItem->setVisible(extMod->isVisible());
        extModItem->setEnabled(extMod->isEnabled());
    });
    extModItem->setVisible(extMod->isVisible());
    for (const char* name : {"ConfigModem", "NewParol", "ClearComercArh", "ConfigLED", "ResursBattery", "SetStamp",
                             "ControlLoad"})
        add(service, name);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    help->addAction(QStringLiteral("О программе..."), this, [this] {
        TAboutBox about(this);
        about.exec();
    });
}
