#include "common/prompter.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

TConsolePrompter& ConsolePrompter()
{
    static TConsolePrompter prompter;
    return prompter;
}

IPrompter* g_prompter = nullptr;

void PrintLine(const char* kind, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", kind, text.toUtf8().constData());
    std::fflush(stderr);
}

// A line typed without echo; false at the end of input or when the read was
// interrupted (Ctrl+C counts as a cancel, not as an empty password).
bool ReadHiddenLine(QString* text)
{
    termios saved{};
    const bool tty = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (tty) {
        termios silent = saved;
        silent.c_lflag &= ~ECHO;
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    char line[256];
    const bool ok = std::fgets(line, sizeof line, stdin) != nullptr;
    if (tty) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputc('\n', stderr);
    }
    if (!ok) {
        std::clearerr(stdin);
        return false;
    }
    *text = QString::fromLocal8Bit(line);
    while (text->endsWith(QLatin1Char('\n')) || text->endsWith(QLatin1Char('\r'))) text->chop(1);
    return true;
}

}  // namespace

IPrompter& Prompter() { return g_prompter ? *g_prompter : ConsolePrompter(); }

void SetPrompter(IPrompter* prompter) { g_prompter = prompter; }

void TConsolePrompter::ShowError(const QString& text) { PrintLine("Ошибка", text); }
void TConsolePrompter::ShowWarning(const QString& text) { PrintLine("Предупреждение", text); }
void TConsolePrompter::ShowInfo(const QString& text) { PrintLine("Информация", text); }

bool TConsolePrompter::Confirm(const QString& title, const QString& text)
{
    PrintLine(title.toUtf8().constData(), text + QStringLiteral(" -> Отмена"));
    return false;
}

bool TConsolePrompter::AskYesNo(const QString& title, const QString& text)
{
    PrintLine(title.toUtf8().constData(), text + QStringLiteral(" -> Нет"));
    return false;
}

// A batch run never waits for a dialog: it answers as the user's cancel.
bool TConsolePrompter::AskSaveFile(const TFileDialogRequest&, QString*) { return false; }
bool TConsolePrompter::AskOpenFile(const TFileDialogRequest&, QString*) { return false; }

bool TConsolePrompter::AskPassword(const QString& prompt, QString* password)
{
    if (HasFixedPassword) {
        // A fixed password is offered once: a second prompt means it was wrong.
        if (FixedPasswordUsed) return false;
        FixedPasswordUsed = true;
        *password = FixedPassword;
        return true;
    }
    if (!ReadFromTerminal) return false;
    std::fprintf(stderr, "%s: ", prompt.toUtf8().constData());
    std::fflush(stderr);
    return ReadHiddenLine(password);
}

bool TConsolePrompter::AskNewPassword(QString*, int*) { return false; }
