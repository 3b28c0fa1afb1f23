#include "support/scripted_prompter.h"

bool TScriptedPrompter::Confirm(const QString& title, const QString& text)
{
    Questions.append(title + QLatin1Char('|') + text);
    return ConfirmAnswers.isEmpty() ? false : ConfirmAnswers.takeFirst();
}

bool TScriptedPrompter::AskPassword(const QString& prompt, QString* password)
{
    PasswordPrompts.append(prompt);
    if (PasswordAnswers.isEmpty()) return false;
    *password = PasswordAnswers.takeFirst();
    return true;
}

bool TScriptedPrompter::AskNewPassword(QString* password, int* level)
{
    if (NewPasswordCancels) return false;
    *password = NewPassword;
    *level = NewPasswordLevel;
    return true;
}

bool TScriptedPrompter::AskYesNo(const QString& title, const QString& text)
{
    return Confirm(title, text);
}

bool TScriptedPrompter::AskSaveFile(const TFileDialogRequest& request, QString* fileName)
{
    FileRequests.append(request);
    if (FileAnswers.isEmpty()) return false;
    *fileName = FileAnswers.takeFirst();
    return true;
}

bool TScriptedPrompter::AskOpenFile(const TFileDialogRequest& request, QString* fileName)
{
    return AskSaveFile(request, fileName);
}
