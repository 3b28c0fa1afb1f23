#pragma once
#include "common/wait_hook.h"

// The console's wait window: Ctrl+C presses its cancel button, so the
// exchange in progress ends with the usual cancel error. A second Ctrl+C
// ends the program at once.
class TInterruptWait : public IWaitWindow {
public:
    void SetStatusText(const QString& text) override { Status = text; }
    QString StatusText() const override { return Status; }
    bool Cancelled() const override;

    // Installs the SIGINT handler and makes commands create this window.
    static void Install();

private:
    QString Status;
};
