#pragma once
#include <QAction>
#include <QList>
#include <functional>

class TActionList;

// A command of the main window: what the user clicks and what a macro line
// names. Adds to Qt's action the name a macro uses, a category that tells the
// page framework how to treat it, an integer result (Tag; -1 = failed) and
// whether the current run was started from a control or by name.
class TAction : public QAction {
    Q_OBJECT
public:
    using Handler = std::function<void(TAction&)>;

    TAction(TActionList* list, const QString& name, const QString& category, const QString& caption);

    QString Name() const { return objectName(); }
    QString Category;
    int Tag = 0;
    // False while the action runs by name (from a macro): the handler then
    // takes its argument from the macro context instead of asking the user.
    bool StartedFromControl = true;
    Handler OnExecute;

    // Runs as started by name: Tag 0, no control; a disabled action does not run.
    // A hidden action still runs by name: that is how macros reach the
    // commands the window does not show.
    void ExecuteByName();
    // Enables or disables the command. Qt also disables an action while it is
    // hidden, so the command's own state is kept here.
    void SetEnabled(bool enabled);
    bool Enabled() const { return IsEnabled; }

private:
    void Dispatch();
    TActionList* List;
    bool IsEnabled = true;
};

// The main window's actions in list order, with the list-wide execute hook:
// while Busy is set every execution is swallowed.
class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject* parent = nullptr) : QObject(parent) {}

    TAction* Add(const QString& name, const QString& category, const QString& caption,
                 TAction::Handler handler = nullptr);
    TAction* FindAction(const QString& name) const;  // case-sensitive; null when absent
    const QList<TAction*>& Actions() const { return Items; }

    int Busy = 0;  // 1 while an exchange started by the window runs

private:
    QList<TAction*> Items;
};
