#pragma once
#include <QString>

// What a file dialog shows. Filter is a list of "description|mask" pairs
// joined by "|" ("Таблица (CFG*.txt)|CFG*.TXT"); masks may hold several
// patterns separated by ";".
struct TFileDialogRequest {
    QString Title;
    QString Folder;       // initial folder; empty = the current directory
    QString FileName;     // proposed name
    QString Filter;
    QString DefaultExt;   // without the dot
};

// The one way the system reaches the user: the window implements it with
// message boxes and dialogs, tests with a scripted answer list, batch runs by
// writing to stderr. Nothing else shows a message box.
class IPrompter {
public:
    virtual ~IPrompter() = default;
    virtual void ShowError(const QString& text) = 0;
    virtual void ShowWarning(const QString& text) = 0;
    virtual void ShowInfo(const QString& text) = 0;
    // OK/Cancel question; true on OK.
    virtual bool Confirm(const QString& title, const QString& text) = 0;
    // Yes/No question (No is the default); true on Yes.
    virtual bool AskYesNo(const QString& title, const QString& text) = 0;
    // File dialogs; false when cancelled.
    virtual bool AskSaveFile(const TFileDialogRequest& request, QString* fileName) = 0;
    virtual bool AskOpenFile(const TFileDialogRequest& request, QString* fileName) = 0;
    // Password dialog with the given prompt; false when cancelled.
    virtual bool AskPassword(const QString& prompt, QString* password) = 0;
    // Change-password dialog; false when cancelled. level: 0 main, 1 additional.
    virtual bool AskNewPassword(QString* password, int* level) = 0;
};

// The process-wide prompter; a console prompter until the program sets another.
IPrompter& Prompter();
void SetPrompter(IPrompter* prompter);  // nullptr restores the console prompter

// Writes every message to stderr and answers questions with "no"; a password
// comes from a fixed text when one was given (command-line tools), else the
// prompt fails as a cancel.
class TConsolePrompter : public IPrompter {
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

    void SetPassword(const QString& password) { FixedPassword = password; HasFixedPassword = true; }
    void SetReadFromTerminal(bool on) { ReadFromTerminal = on; }

private:
    QString FixedPassword;
    bool HasFixedPassword = false;
    bool ReadFromTerminal = false;
    bool FixedPasswordUsed = false;
};
