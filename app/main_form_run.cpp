// The main window's exchanges: the guarded runner, automatic polling, the
// countdown of a held connection, the statistics box and the window position.
#include "app/main_form.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/prompter.h"
#include "common/wait_hook.h"
#include "device/device.h"
#include "device/wait.h"
#include "pages/action.h"
#include "pages/frame_base.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {
const QString kMainFormSection = QStringLiteral("MainForm");
const char* const kCountdownText = "До разрыва связи осталось %1 с";
const char* const kDisconnectProblem = "Проблемы при разрыве соединения";
const int kDefaultAutoSeconds = 4;
}  // namespace

QString TMainForm::ConnectionText() const { return cbConnection->currentData().toString(); }

void TMainForm::CreateTimers()
{
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(kDefaultAutoSeconds * 1000);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TMainForm::AutoTick);
    ConnectTimer = new QTimer(this);
    ConnectTimer->setObjectName(QStringLiteral("ConnectTimer"));
    ConnectTimer->setInterval(1000);
    connect(ConnectTimer, &QTimer::timeout, this, &TMainForm::ConnectTick);
    ConnectTimer->start();

    AutoPopupMenu = new QMenu(this);
    AutoPopupMenu->setObjectName(QStringLiteral("AutoPopupMenu"));
    auto* group = new QActionGroup(AutoPopupMenu);
    for (int seconds = 1; seconds <= 10; ++seconds) {
        QAction* item = AutoPopupMenu->addAction(QStringLiteral("%1 с").arg(seconds));
        item->setObjectName(QStringLiteral("AutoDelay%1").arg(seconds));
        item->setData(seconds);
        item->setCheckable(true);
        item->setChecked(seconds == kDefaultAutoSeconds);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, seconds] { AutoDelayChosen(seconds); });
    }
    sbAuto->setMenu(AutoPopupMenu);
    sbAuto->setPopupMode(QToolButton::DelayedPopup);
}

void TMainForm::PageChanged()
{
    Page = nullptr;
    QWidget* sheet = PageControl->currentWidget();
    if (!sheet) return;
    Page = sheet->findChild<TFrameBase*>(QString(), Qt::FindDirectChildrenOnly);
    if (!Page) return;
    Page->Activate();
    Page->setFocus();
}

int TMainForm::SelectPageByCaption(const QString& caption)
{
    for (int i = 0; i < PageControl->count(); ++i) {
        if (PageControl->tabText(i) != caption) continue;
        PageControl->setCurrentIndex(i);
        PageChanged();
        return 0;
    }
    Prompter().ShowError(QStringLiteral("Закладка: '") + caption + QStringLiteral("' не найдена"));
    return -1;
}

int TMainForm::RunExchange(std::function<void()> operation)
{
    if (!Page) return -1;
    int result = -1;
    ActionList->Busy = 1;
    ConnectTimer->stop();
    sbConnect->setEnabled(false);
    sbDisconnect->setEnabled(false);
    BusyTabIndex = PageControl->currentIndex();
    QString failure;
    try {
        TWait wait;
        HoldSeconds = TheDevice().Connect(ConnectionText());
        operation();
        if (HoldSeconds == 0) TheDevice().Disconnect();
        result = 0;
    } catch (const TError& e) {
        failure = e.Message;
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (result != 0) {
        HoldSeconds = 0;
        try {
            TheDevice().Disconnect();
        } catch (const TError&) {
        }
        Prompter().ShowError(failure);
    }
    ActionList->Busy = 0;
    BusyTabIndex = -1;
    ConnectTimer->start();
    return result;
}

void TMainForm::RunPageOperation(TAction& action, void (TFrameBase::*operation)())
{
    action.Tag = RunExchange([this, operation] { (Page->*operation)(); });
}

void TMainForm::FileAction(TAction& action, void (TFrameBase::*operation)(const QString&))
{
    if (!Page) return;
    const QString fileName = action.StartedFromControl ? QString() : MacroArg();
    try {
        if (operation) (Page->*operation)(fileName);
        else if (action.Name() == QLatin1String("PrintChart")) Page->PrintChart();
        else Page->PrintTable();
    } catch (const TError& e) {
        action.Tag = -1;
        Prompter().ShowError(e.Message);
    }
}

void TMainForm::ReadHash(TAction& action)
{
    // A meter that cannot be reached must not inherit the last one's identity.
    MeterTypeText.clear();
    SerialNumberText.clear();
    UserNumberText.clear();
    try {
        HoldSeconds = TheDevice().Connect(ConnectionText());
        ReadIdentity(TheDevice());
        if (HoldSeconds == 0) TheDevice().Disconnect();
    } catch (const TError&) {
        action.Tag = -1;
        HoldSeconds = 0;  // a failed read leaves no port held open
        try {
            TheDevice().Disconnect();
        } catch (const TError&) {
        }
    }
}

void TMainForm::AutoExecute()
{
    TAction* autoAction = ActionList->FindAction(QStringLiteral("Auto"));
    if (autoAction->isChecked()) {
        sbAuto->setMenu(nullptr);
        Timer->start();
        return;
    }
    Timer->stop();
    sbAuto->setMenu(AutoPopupMenu);
    const int seconds = Timer->interval() / 1000;
    QAction* marked = nullptr;
    for (QAction* item : AutoPopupMenu->actions())
        if (item->data().toInt() == seconds && seconds != kDefaultAutoSeconds) marked = item;
    for (QAction* item : AutoPopupMenu->actions())
        item->setChecked(marked ? item == marked : item->data().toInt() == kDefaultAutoSeconds);
}

void TMainForm::AutoDelayChosen(int seconds)
{
    Timer->setInterval(seconds * 1000);
    for (QAction* item : AutoPopupMenu->actions()) item->setChecked(item->data().toInt() == seconds);
}

void TMainForm::AutoTick()
{
    StatusPanels[1]->clear();
    TAction* autoAction = ActionList->FindAction(QStringLiteral("Auto"));
    // Events are processed during every wait: a tick that arrives while
    // another exchange runs is skipped rather than nested inside it.
    const bool exchangeRunning = ActionList->Busy || CurrentWaitWindow();
    if (Page && autoAction->isEnabled() && !exchangeRunning) {
        ActionList->Busy = 1;
        try {
            HoldSeconds = TheDevice().Connect(ConnectionText());
            Page->AutoRead();
            if (HoldSeconds == 0) TheDevice().Disconnect();
        } catch (const TError& e) {
            StatusPanels[1]->setText(e.Message);
        }
        ActionList->Busy = 0;
    }
    if (autoAction->isChecked()) Timer->start();
}

void TMainForm::ConnectTick()
{
    if (StartupMacroPending) {
        StartupMacroPending = false;
        RunStartupMacro();
        return;
    }
    // Events are processed while the connection buttons wait on the modem: a
    // tick then would drop the line a second time or offer it again.
    if (ActionList->Busy) return;
    if (HoldSeconds > 0 && --HoldSeconds == 0) {
        try {
            TheDevice().Disconnect();
        } catch (const TError&) {
            Prompter().ShowError(QString::fromUtf8(kDisconnectProblem));
        }
    }
    if (HoldSeconds > 0) {
        StatusPanels[3]->setText(QString::fromUtf8(kCountdownText).arg(HoldSeconds));
        sbDisconnect->setEnabled(true);
        sbConnect->setEnabled(false);
    } else {
        StatusPanels[3]->clear();
        sbDisconnect->setEnabled(false);
        sbConnect->setEnabled(ConnectionText().contains(QStringLiteral("Модем")) && !CurrentWaitWindow());
    }
}

void TMainForm::ConnectButton()
{
    sbConnect->setEnabled(false);
    ActionList->Busy = 1;
    try {
        TWait wait;
        HoldSeconds = TheDevice().Connect(ConnectionText());
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
    ActionList->Busy = 0;
}

void TMainForm::DisconnectButton()
{
    sbDisconnect->setEnabled(false);
    ActionList->Busy = 1;
    try {
        TWait wait;
        TheDevice().Disconnect();
        HoldSeconds = 0;
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
    ActionList->Busy = 0;
}

QString StatisticsText(const TLinkStatistics& s)
{
    const double errors = s.Total ? double(float(s.Total - s.Good) * 100.0f / float(s.Total)) : 0.0;
    const qint64 seconds = (s.FirstTime.isNull() || s.LastTime.isNull()) ? 0 : s.FirstTime.secsTo(s.LastTime);
    const double speed = seconds > 0 ? double(s.BytesSent + s.BytesReceived) / double(seconds) : 0.0;
    // "0.00": the decimal separator follows the locale, digits are never grouped.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return QStringLiteral("\n\nОбщее количество транзакций:\t%1").arg(s.Total) +
           QStringLiteral("\nТранзакции без ошибок:\t\t%1").arg(s.Good) +
           QStringLiteral("\nТранзакции с ошибкой передачи:\t%1").arg(s.TxErrors) +
           QStringLiteral("\nТранзакции с ошибкой приема:\t%1").arg(s.RxErrors) +
           QStringLiteral("\nТранзакции с ошибкой CRC:\t\t%1").arg(s.CrcErrors) +
           QStringLiteral("\nТранзакции с эхом:\t\t\t%1").arg(s.Echoes) +
           QStringLiteral("\nКоличество переданных байт:\t%1").arg(s.BytesSent) +
           QStringLiteral("\nКоличество принятых байт:\t\t%1").arg(s.BytesReceived) +
           QStringLiteral("\n% транзакций с ошибками:\t\t") + locale.toString(errors, 'f', 2) +
           QStringLiteral("\nСредняя скорость обмена(байт/с):\t") + locale.toString(speed, 'f', 2) +
           QStringLiteral("\n\nОбнулить счетчики ?");
}

void TMainForm::ShowStatistics()
{
    if (Prompter().AskYesNo(QStringLiteral("Cтатистика обмена"), StatisticsText(TheDevice().GetStatistics())))
        TheDevice().ResetStatistics();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbConnect && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && (mouse->modifiers() & Qt::ControlModifier)) {
            ShowStatistics();
            return true;
        }
    }
    if (watched == StatusPanels[0] && event->type() == QEvent::MouseButtonDblClick && CurrentWaitWindow() &&
        BusyTabIndex >= 0) {
        PageControl->setCurrentIndex(BusyTabIndex);
        PageChanged();
    }
    if (watched == eNetAdr && event->type() == QEvent::KeyPress) {
        // Only digits and backspace reach the address field.
        auto* key = static_cast<QKeyEvent*>(event);
        const bool digit = key->text().size() == 1 && key->text().at(0).isDigit();
        const bool editing = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Left ||
                             key->key() == Qt::Key_Right || key->key() == Qt::Key_Tab;
        if (!digit && !editing) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::RestoreWindow()
{
    TMyIniFile ini(SettingsFilePath());
    const int left = ini.ReadInteger(kMainFormSection, QStringLiteral("Left"), 100);
    const int top = ini.ReadInteger(kMainFormSection, QStringLiteral("Top"), 100);
    const int width = ini.ReadInteger(kMainFormSection, QStringLiteral("Width"), 800);
    const int height = ini.ReadInteger(kMainFormSection, QStringLiteral("Height"), 600);
    setGeometry(left, top, qMax(800, width), qMax(600, height));
    switch (ini.ReadInteger(kMainFormSection, QStringLiteral("State"), 1)) {
    case 2: setWindowState(Qt::WindowMinimized); break;
    case 3: setWindowState(Qt::WindowMaximized); break;
    default: break;
    }
}

void TMainForm::SaveWindow()
{
    TMyIniFile ini(SettingsFilePath());
    const int state = isMinimized() ? 2 : isMaximized() ? 3 : 1;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    ini.WriteInteger(kMainFormSection, QStringLiteral("State"), state);
    ini.WriteInteger(kMainFormSection, QStringLiteral("Left"), normal.left());
    ini.WriteInteger(kMainFormSection, QStringLiteral("Top"), normal.top());
    ini.WriteInteger(kMainFormSection, QStringLiteral("Width"), normal.width());
    ini.WriteInteger(kMainFormSection, QStringLiteral("Height"), normal.height());
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    try {
        SaveWindow();
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
    event->accept();
}
