#pragma once
#include "common/prompter.h"

#include <QStringList>

// Prompter for tests: records every message and answers from scripts.
// An empty password script answers the next prompt with a cancel.
class TScriptedPrompter : public IPrompter {
public:
    TScriptedPrompter() { SetPrompter(this); }
    ~TScriptedPrompter() override { SetPrompter(nullptr); }

    void ShowError(const QString& text) override { Errors.append(text); }
    void ShowWarning(const QString& text) override { Warnings.append(text); }
    void ShowInfo(const QString& text) override { Infos.append(text); }
    bool Confirm(const QString& title, const QString& text) override;
    bool AskYesNo(const QString& title, const QString& text) override;
    bool AskSaveFile(const TFileDialogRequest& request, QString* fileName) override;
    bool AskOpenFile(const TFileDialogRequest& request, QString* fileName) override;
    bool AskPassword(const QString& prompt, QString* password) override;
    bool AskNewPassword(QString* password, int* level) override;

    QStringList Errors, Warnings, Infos, Questions, PasswordPrompts;
    QList<bool> ConfirmAnswers;           // OK/Cancel and Yes/No answers; false when empty
    QStringList FileAnswers;              // file dialog answers in order; cancel when empty
    QList<TFileDialogRequest> FileRequests;
    QStringList PasswordAnswers;          // taken in order
    QString NewPassword;                  // change-password dialog answer
    int NewPasswordLevel = 0;
    bool NewPasswordCancels = true;
};
