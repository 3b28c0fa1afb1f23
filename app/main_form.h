#pragma once
#include "app/connection_list.h"
#include "app/macro_engine.h"
#include "app/macro_host.h"
#include "app/service_commands.h"
#include "app/service_host.h"

#include <QMainWindow>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTimer;
class QToolButton;
class TAction;
class TActionList;
class TFrameBase;

// The program's main window: the connection selector, the pages, the
// actions (also the macro vocabulary), the guarded exchange runner,
// automatic polling and the countdown of a held connection.
class TMainForm : public QMainWindow, public IMacroHost, public IServiceHost {
    Q_OBJECT
public:
    explicit TMainForm(const QString& startupMacro, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Runs an operation as one guarded exchange: opens the connection, shows
    // the wait window, reports an error with ShowError. 0 on success, -1 on
    // failure or when there is no current page.
    int RunExchange(std::function<void()> operation) override;
    int SelectPageByCaption(const QString& caption) override;
    TFrameBase* CurrentPage() const override { return Page; }
    TActionList& Actions() { return *ActionList; }
    QString ConnectionText() const;
    int HoldSeconds = 0;
    // The connection settings dialog: (caption, initial line) -> the edited
    // line, empty when cancelled. Replaceable so the list commands run unattended.
    std::function<QString(const QString& caption, const QString& line)> ConnectionDialog;

    // The macro engine's view of the window.
    bool ExecuteAction(const QString& name) override;
    QStringList Connections() const override { return ConnectionLines.Lines(); }
    void SetConnections(const QStringList& items) override;
    int SelectedConnection() const override;
    void SelectConnection(int index) override;
    void SetMacroRunning(bool running) override { IsMacroRunning = running; }
    void ProcessEvents() override;
    bool TakeStopRequest() override;

    // The service commands' view of the window.
    QString MacroArg() const override { return Macro.Context().Arg; }
    int ConnIndex() const override { return Macro.Context().ConnIndex; }
    bool MacroRunning() const override { return IsMacroRunning; }
    QWidget* DialogParent() override { return this; }
    void OpenExtModDialog(const QByteArray& record) override;

    // Runs the start-up macro; true when it finished.
    bool RunStartupMacro();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateActions();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateMenus();
    void CreateTimers();

    // Connection profiles.
    void LoadConnections();
    void FillConnectionBox(int selected);
    void ConnectionSelected(int index);
    void AddConnection(TAction& action);
    void EditConnection(TAction& action);
    void DeleteConnection(TAction& action);
    void NetAddressEdited();
    void SaveConnections();
    void ShowNetAddress();

    // Exchanges and timers.
    void PageChanged();
    void RunPageOperation(TAction& action, void (TFrameBase::*operation)());
    void ReadHash(TAction& action);
    void AutoExecute();
    void AutoDelayChosen(int seconds);
    void AutoTick();
    void ConnectTick();
    void ConnectButton();
    void DisconnectButton();
    void ShowStatistics();
    void FileAction(TAction& action, void (TFrameBase::*operation)(const QString&));
    void FillMacroMenu();

    // Window position in the settings file.
    void RestoreWindow();
    void SaveWindow();

    TActionList* ActionList;
    TConnectionList ConnectionLines;
    TMacroEngine Macro{*this};
    TServiceCommands* Services = nullptr;
    bool IsMacroRunning = false;
    bool StopRequested = false;
    QTabWidget* PageControl = nullptr;
    TFrameBase* Page = nullptr;
    int BusyTabIndex = -1;
    QComboBox* cbConnection = nullptr;
    QLineEdit* eNetAdr = nullptr;
    QLabel* lbConnect = nullptr;
    QToolButton* sbAuto = nullptr;
    QToolButton* sbConnect = nullptr;
    QToolButton* sbDisconnect = nullptr;
    QLabel* StatusPanels[4] = {};
    QTimer* Timer = nullptr;
    QTimer* ConnectTimer = nullptr;
    QMenu* AutoPopupMenu = nullptr;
    QMenu* MacroMenu = nullptr;
    QString StartupMacro;
    bool StartupMacroPending = false;
};

// Exit code of a start-up macro run without a display: 0 finished, 1 failed.
extern int StartupMacroExitCode;

extern const char* const kMainCaption;  // "Сервис для электросчетчика "
