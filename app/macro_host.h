#pragma once
#include <QString>
#include <QStringList>

// What the macro engine needs from the main window. The window implements it;
// tests implement it with a fake, so the engine never sees a widget of it.
class IMacroHost {
public:
    virtual ~IMacroHost() = default;

    // Runs the action `name` as started by name (ExecuteActionByName): true
    // when its Tag stayed 0. Raises TError "Команда <name> не найдена !" for an
    // unknown name; errors raised by the action's handler pass through.
    virtual bool ExecuteAction(const QString& name) = 0;

    // The items of cbConnection in their shown order.
    virtual QStringList Connections() const = 0;
    // Replaces the items, keeping the given order (the engine hands them sorted).
    virtual void SetConnections(const QStringList& items) = 0;
    virtual int SelectedConnection() const = 0;
    // Selects an item as a program does: no cur_connection write, no network
    // address update; -1 (or an index out of range) selects nothing.
    virtual void SelectConnection(int index) = 0;

    // Read by the pages to keep informational boxes quiet during a macro.
    virtual void SetMacroRunning(bool running) = 0;

    // Lets the window handle its pending events (repaint, the Escape key).
    virtual void ProcessEvents() = 0;
    // True once after Escape was pressed in the main window; reading clears it.
    virtual bool TakeStopRequest() = 0;
};
