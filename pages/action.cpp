#include "pages/action.h"

TAction::TAction(TActionList* list, const QString& name, const QString& category, const QString& caption)
    : QAction(caption, list), Category(category), List(list)
{
    setObjectName(name);
    connect(this, &QAction::triggered, this, &TAction::Dispatch);
}

void TAction::Dispatch()
{
    if (List && List->Busy) return;  // swallowed while an exchange runs
    if (OnExecute) OnExecute(*this);
}

void TAction::SetEnabled(bool enabled)
{
    IsEnabled = enabled;
    setEnabled(enabled);
}

void TAction::ExecuteByName()
{
    Tag = 0;
    if (!IsEnabled) return;
    StartedFromControl = false;
    Dispatch();
    StartedFromControl = true;
}

TAction* TActionList::Add(const QString& name, const QString& category, const QString& caption,
                          TAction::Handler handler)
{
    auto* action = new TAction(this, name, category, caption);
    action->OnExecute = std::move(handler);
    Items.append(action);
    return action;
}

TAction* TActionList::FindAction(const QString& name) const
{
    for (TAction* a : Items)
        if (a->Name() == name) return a;
    return nullptr;
}
