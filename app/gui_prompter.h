#pragma once
#include "common/prompter.h"

#include <QMessageBox>

// A modal message box with one OK button, on top of all windows.
void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text);

// Qt's filter form of a "description|mask;mask|..." list:
// "description (mask mask);;...".
QString QtFileFilter(const QString& filter);

// Reaches the user of the desktop program through message boxes and dialogs,
// over the active window. Batch runs keep TConsolePrompter instead: it writes
// every message to stderr without waiting, cancels file and password dialogs
// and answers questions with No or Cancel.
class TGuiPrompter : public IPrompter {
public:
    void ShowError(const QString& text) override;
    void ShowWarning(const QString& text) override;
    void ShowInfo(const QString& text) override;
    bool Confirm(const QString& title, const QString& text) override;
    bool AskYesNo(const QString& title, const QString& text) override;
    bool AskSaveFile(const TFileDialogRequest& request, QString* fileName) override;
    bool AskOpenFile(const TFileDialogRequest& request, QString* fileName) override;
    bool AskPassword(const QString& prompt, QString* password) override;
    bool AskNewPassword(QString* password, int* level) override;

    static const QString kErrorTitle;
    static const QString kWarningTitle;
    static const QString kInfoTitle;
};
