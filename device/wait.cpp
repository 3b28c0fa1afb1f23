#include "device/wait.h"

#include "common/wait_hook.h"

TWait::TWait() : Window(CreateWaitWindow()), Previous(CurrentWaitWindow())
{
    if (Window) SetCurrentWaitWindow(Window);
}

// A nested command hands the window back to the command around it.
TWait::~TWait()
{
    if (Window) SetCurrentWaitWindow(Previous);
    delete Window;
}
