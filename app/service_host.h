#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;
class TFrameBase;

// What the service commands need from the main window.
class IServiceHost {
public:
    virtual ~IServiceHost() = default;

    // One guarded exchange: opens the connection, shows the wait window, runs
    // the operation, closes the connection unless it is held, and reports any
    // error with ShowError. 0 on success, -1 on failure.
    virtual int RunExchange(std::function<void()> operation) = 0;

    // The macro context: the argument of the command being executed ("" when
    // none) and the index of the connection loop (-1 outside a loop).
    virtual QString MacroArg() const = 0;
    virtual int ConnIndex() const = 0;
    virtual bool MacroRunning() const = 0;

    // Selects the tab with this caption; shows the not-found error and returns
    // -1 when there is none.
    virtual int SelectPageByCaption(const QString& caption) = 0;
    // The page on the active tab, or null.
    virtual TFrameBase* CurrentPage() const = 0;

    // Owner of the service dialogs.
    virtual QWidget* DialogParent() = 0;

    // Shows the expansion module set-up dialog modally for a module of kind
    // 1, 3, 4 or 5, given the 14-byte module record read from the meter.
    virtual void OpenExtModDialog(const QByteArray& record) = 0;
};
