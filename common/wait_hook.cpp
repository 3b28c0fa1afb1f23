#include "common/wait_hook.h"

#include <QThread>

namespace {
IWaitWindow* g_current = nullptr;
std::function<void()> g_pump;
WaitWindowFactory g_factory;
}  // namespace

const char* const kCancelledMessage = "Обмен прерван пользователем !";

IWaitWindow* CurrentWaitWindow() { return g_current; }
void SetCurrentWaitWindow(IWaitWindow* window) { g_current = window; }

void SetWaitStatus(const QString& text)
{
    if (g_current) g_current->SetStatusText(text);
}

void SetEventPump(std::function<void()> pump) { g_pump = std::move(pump); }

bool CheckCancel()
{
    if (g_pump) g_pump();
    return g_current && g_current->Cancelled();
}

bool SleepAndCheckCancel()
{
    QThread::usleep(1000);
    return CheckCancel();
}

void SetWaitWindowFactory(WaitWindowFactory factory) { g_factory = std::move(factory); }

IWaitWindow* CreateWaitWindow() { return g_factory ? g_factory() : nullptr; }
