#pragma once
#include "common/wait_hook.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// Shows the main window's status bar panel 0 (the activity indicator).
using TStatusPanelSetter = std::function<void(const QString&)>;

// The window shown while an exchange runs: the status text drifts sideways
// and a spinner turns in status panel 0, so the user sees the program alive
// although the exchange holds the event loop; "Отмена" stops the exchange.
class TWaitForm : public QDialog, public IWaitWindow {
    Q_OBJECT
public:
    TWaitForm(QWidget* mainWindow, TStatusPanelSetter statusPanel);
    ~TWaitForm() override;

    void SetStatusText(const QString& text) override;
    QString StatusText() const override { return Status; }
    bool Cancelled() const override { return Cancel; }

    // One step of the animation (Timer1's tick).
    void Tick();

    QLabel* stStatus;
    QPushButton* Button;
    QTimer* Timer1;

protected:
    void reject() override;  // Escape is the cancel button, the window stays

private:
    void ShowStatus();

    TStatusPanelSetter StatusPanel;
    bool Cancel = false;
    QString Status;
    int Padding = 0;   // 0..8 trailing spaces
    int Spinner = 0;   // 0..7
    bool Growing = true;
};

// Lets commands show TWaitForm over the main window and keeps the window
// responsive while the link waits.
void InstallGuiWaitHooks(QWidget* mainWindow, TStatusPanelSetter statusPanel);
