#pragma once
#include <QString>
#include <functional>

// The window shown while an exchange runs: it shows a status text and offers
// a cancel button. The link polls Cancelled() between its 1 ms sleeps.
class IWaitWindow {
public:
    virtual ~IWaitWindow() = default;
    virtual void SetStatusText(const QString& text) = 0;
    virtual QString StatusText() const = 0;
    virtual bool Cancelled() const = 0;
};

IWaitWindow* CurrentWaitWindow();
void SetCurrentWaitWindow(IWaitWindow* window);
// Sets the current wait window's status text when there is one.
void SetWaitStatus(const QString& text);

// Lets the user interface process its pending events (the window installs it;
// without it nothing is pumped).
void SetEventPump(std::function<void()> pump);

// Cancel check of every wait: pump the events, then report whether the
// current wait window's cancel was pressed.
bool CheckCancel();

// Sleeps about one millisecond, then runs the cancel check.
bool SleepAndCheckCancel();

// Creates the wait window for a command (the window installs a factory; none
// means commands run without one).
using WaitWindowFactory = std::function<IWaitWindow*()>;
void SetWaitWindowFactory(WaitWindowFactory factory);
IWaitWindow* CreateWaitWindow();

extern const char* const kCancelledMessage;  // "Обмен прерван пользователем !"
