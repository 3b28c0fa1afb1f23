#pragma once
#include "common/error.h"
#include "common/text_codec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class IMacroHost;
class TForConnectionForm;

// The line parser stays free of widgets (and inline, so the core tests use it
// without the window layers).

inline constexpr char kBadCommandMessage[] = "Неправильная команда: ";

// One line of a macro file; comment and empty lines carry no command.
struct TMacroCommand {
    bool IsCommand = false;
    QString Name;
    QString Arg;
};

// Blanks and control characters go at both ends, nothing else.
inline QString TrimMacroText(const QString& text)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && text[begin].unicode() <= ' ') ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ') --end;
    return text.mid(begin, end - begin);
}

// "Name" or "Name(argument)"; the argument runs to the last ")" and may hold
// parentheses itself. The name is not trimmed again: "Read (x)" names "Read ".
inline TMacroCommand ParseMacroLine(const QString& rawLine)
{
    const QString line = TrimMacroText(rawLine);
    TMacroCommand command;
    if (line.isEmpty() || line.startsWith(QLatin1String("//"))) return command;
    const int open = line.indexOf(QLatin1Char('('));
    const int close = line.lastIndexOf(QLatin1Char(')'));
    if ((open < 0) != (close < 0)) throw TError(QString::fromUtf8(kBadCommandMessage) + line);
    command.IsCommand = true;
    if (open < 0) {
        command.Name = line;
        return command;
    }
    command.Name = line.left(open);
    if (close > open) command.Arg = line.mid(open + 1, close - open - 1);
    return command;
}

// Macro files come from other systems: UTF-8 or cp1251, lines ended by
// CR LF, LF or CR.
inline QStringList SplitMacroText(const QByteArray& bytes)
{
    QString text = DecodeTextFile(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// State of the running macro. The indices are plain ints: a macro longer than
// 32767 lines must not wrap around.
struct TMacroContext {
    QString Arg;          // argument of the command being executed
    QStringList Lines;
    int LineIndex = 0;
    int ConnIndex = -1;   // current connection of the loop; -1 outside a loop
    int LoopLine = -1;    // the ForConnection line; -1 outside a loop
    int32_t RepeatCount = 0;

    void Reset()
    {
        LineIndex = 0;
        ConnIndex = -1;
        LoopLine = -1;
        RepeatCount = 0;
    }
};

// Runs macro files through the main window's actions. The window owns one
// engine and routes the actions ForConnection, NextConnection, Repeat and
// Pause to the handlers below; they read their argument from Context().
class TMacroEngine {
public:
    explicit TMacroEngine(IMacroHost& host);
    virtual ~TMacroEngine();

    // True when every line ran. False when the file does not exist, a command
    // failed (Tag != 0), an error ended the macro (shown through the prompter),
    // Escape stopped it, or a macro is already running (nested runs are refused).
    bool RunMacro(const QString& fileName);
    bool Running() const { return IsRunning; }
    const TMacroContext& Context() const { return Ctx; }

    // Where the macro menu finds its files and runs them from; empty = the
    // current directory.
    QString MacroFolder;
    // The macro menu: one caption per "*.vxm" file of MacroFolder, sorted by
    // name, each the file name up to its first "." (so "a.b.vxm" shows as "a").
    QStringList MacroMenuCaptions() const;
    // Runs a menu item's macro (caption + ".vxm" in MacroFolder) and remembers the item.
    bool RunMenuMacro(const QString& caption);
    // The remembered item again; false and nothing done when there is none.
    bool RepeatLastMacro();
    // Whether a command-line file is a macro to run at start-up: an existing
    // file whose extension is exactly ".vxm".
    static bool IsStartupMacro(const QString& fileName);

    void ForConnection();
    void NextConnection();
    void Repeat();
    void Pause();

protected:
    virtual std::unique_ptr<TForConnectionForm> NewForConnectionForm();
    // Pause's wait; ends early when Escape asks the macro to stop.
    virtual void Wait(int milliseconds);

private:
    bool RunLines();
    QStringList LoopConnections(const QString& arg);
    TForConnectionForm& LoopForm();

    IMacroHost& Host;
    TMacroContext Ctx;
    std::unique_ptr<TForConnectionForm> Form;
    QString LastMacro;
    bool HasLastMacro = false;
    bool IsRunning = false;
    bool StopPending = false;
};
