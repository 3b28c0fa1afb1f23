#include "app/macro_engine.h"

#include "app/for_connection_form.h"
#include "app/macro_host.h"
#include "common/app_paths.h"
#include "common/my_ini_file.h"
#include "common/prompter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace {

const QString kMacroExtension = QStringLiteral(".vxm");
const QString kForConnectionArgMessage = QStringLiteral("Ошибка в аргументе команды 'ForConnection': ");
const QString kForConnectionPatternMessage = QStringLiteral("Ошибка в шаблоне команды 'ForConnection': ");
const QString kForConnectionPatternHint =
    QStringLiteral(" (допускаются не более двух преобразований %d, %i, %u, %x)");
const QString kLoopCancelledMessage = QStringLiteral("Отмена выполнения макрокоманды");
const QString kNextConnectionMessage = QStringLiteral("Команда: 'NextConnection' ошибка в логике макроса");
const QString kRepeatArgMessage = QStringLiteral("Команда: 'Repeat' ошибка аргумента");
const QString kNotIntegerMessage = QStringLiteral("'%1' не является целым числом");
const QString kUnreadableMessage = QStringLiteral("Не удалось прочитать файл макрокоманды: ");

constexpr int kMaxLoopSpan = 255;
constexpr int kMaxPauseSeconds = 20;
constexpr int kMaxConversions = 2;
constexpr int kMaxFieldWidth = 255;

bool IsBlank(QChar c) { return c.unicode() <= ' '; }

// Items separated by ";" or by blanks and control characters; a double-quoted
// part may hold them, and "" inside it stands for one quote.
QStringList SplitLoopArgument(const QString& text)
{
    QStringList items;
    const int n = text.size();
    int i = 0;
    while (i < n && IsBlank(text[i])) ++i;
    while (i < n) {
        QString item;
        if (text[i] == QLatin1Char('"')) {
            for (++i; i < n; ++i) {
                if (text[i] != QLatin1Char('"')) {
                    item += text[i];
                } else if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    item += text[i++];
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            const int start = i;
            while (i < n && !IsBlank(text[i]) && text[i] != QLatin1Char(';')) ++i;
            item = text.mid(start, i - start);
        }
        items << item;
        while (i < n && IsBlank(text[i])) ++i;
        if (i < n && text[i] == QLatin1Char(';')) {
            if (i + 1 == n) items << QString();
            do ++i; while (i < n && IsBlank(text[i]));
        }
    }
    return items;
}

int ToInteger(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) throw TError(kNotIntegerMessage.arg(text));
    return value;
}

// The connection pattern of ForConnection. It comes from a file anyone can
// write, so it is never given to printf: only integer conversions (%d %i %u
// %x %X with flags, width and precision, at most two) are accepted and
// formatted here; anything else is refused before a connection is made.
class TConnectionPattern {
public:
    explicit TConnectionPattern(const QString& pattern)
    {
        const auto refuse = [&pattern]() {
            return TError(kForConnectionPatternMessage + pattern + kForConnectionPatternHint);
        };
        const int n = pattern.size();
        QString literal;
        for (int i = 0; i < n; ++i) {
            if (pattern[i] != QLatin1Char('%')) {
                literal += pattern[i];
                continue;
            }
            if (++i < n && pattern[i] == QLatin1Char('%')) {
                literal += pattern[i];
                continue;
            }
            TConversion c;
            for (; i < n && QStringLiteral("-+ #0").contains(pattern[i]); ++i) c.Flags += pattern[i];
            c.Width = ReadNumber(pattern, i);
            if (i < n && pattern[i] == QLatin1Char('.')) {
                ++i;
                c.Precision = std::max(ReadNumber(pattern, i), 0);
            }
            if (i >= n || !QStringLiteral("diuxX").contains(pattern[i]) || c.Width > kMaxFieldWidth
                || c.Precision > kMaxFieldWidth || Conversions.size() == kMaxConversions)
                throw refuse();
            c.Type = pattern[i];
            Literals << literal;
            literal.clear();
            Conversions << c;
        }
        Literals << literal;
    }

    QString Format(int number) const
    {
        QString text = Literals[0];
        for (int k = 0; k < Conversions.size(); ++k) text += Conversions[k].Format(number) + Literals[k + 1];
        return text;
    }

private:
    struct TConversion {
        QString Flags;
        int Width = -1;
        int Precision = -1;
        QChar Type;

        QString Format(int number) const
        {
            const bool isSigned = Type == QLatin1Char('d') || Type == QLatin1Char('i');
            const bool isHex = Type == QLatin1Char('x') || Type == QLatin1Char('X');
            const uint32_t magnitude = isSigned && number < 0 ? 0u - uint32_t(number) : uint32_t(number);
            QString digits = QString::number(magnitude, isHex ? 16 : 10);
            if (Type == QLatin1Char('X')) digits = digits.toUpper();
            if (Precision == 0 && magnitude == 0) digits.clear();
            if (Precision > digits.size()) digits = QString(Precision - digits.size(), QLatin1Char('0')) + digits;
            QString prefix;
            if (isSigned && number < 0) prefix = QStringLiteral("-");
            else if (isSigned && Flags.contains(QLatin1Char('+'))) prefix = QStringLiteral("+");
            else if (isSigned && Flags.contains(QLatin1Char(' '))) prefix = QStringLiteral(" ");
            else if (isHex && magnitude != 0 && Flags.contains(QLatin1Char('#')))
                prefix = QStringLiteral("0") + Type;
            const int pad = Width - int(prefix.size() + digits.size());
            if (pad <= 0) return prefix + digits;
            if (Flags.contains(QLatin1Char('-'))) return prefix + digits + QString(pad, QLatin1Char(' '));
            if (Flags.contains(QLatin1Char('0')) && Precision < 0)
                return prefix + QString(pad, QLatin1Char('0')) + digits;
            return QString(pad, QLatin1Char(' ')) + prefix + digits;
        }
    };

    // Digits at i, capped so that a huge width cannot overflow; -1 when none.
    static int ReadNumber(const QString& pattern, int& i)
    {
        int value = -1;
        for (; i < pattern.size() && pattern[i].isDigit(); ++i)
            value = std::min(std::max(value, 0) * 10 + pattern[i].digitValue(), kMaxFieldWidth + 1);
        return value;
    }

    QStringList Literals;  // one more than conversions: text around them
    QList<TConversion> Conversions;
};

// The connection list is sorted; generated connections follow its order.
void SortConnections(QStringList& items)
{
    std::sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

}  // namespace

TMacroEngine::TMacroEngine(IMacroHost& host) : Host(host) {}

TMacroEngine::~TMacroEngine() = default;

bool TMacroEngine::RunMacro(const QString& fileName)
{
    if (IsRunning) return false;
    Ctx.Reset();
    if (!QFileInfo(fileName).isFile()) return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Prompter().ShowError(kUnreadableMessage + fileName);
        return false;
    }
    Ctx.Lines = SplitMacroText(file.readAll());
    file.close();

    const QStringList savedConnections = Host.Connections();
    const int savedSelection = Host.SelectedConnection();
    IsRunning = true;
    StopPending = false;
    Host.TakeStopRequest();  // an Escape from before the start is not meant for this macro
    Host.SetMacroRunning(true);
    bool finished = false;
    QString error;
    try {
        finished = RunLines();
    } catch (const TError& e) {
        error = e.Message;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    Host.SetMacroRunning(false);
    Host.SetConnections(savedConnections);
    Host.SelectConnection(savedSelection);
    IsRunning = false;
    if (!error.isNull()) Prompter().ShowError(error);
    return finished;
}

bool TMacroEngine::RunLines()
{
    for (Ctx.LineIndex = 0; Ctx.LineIndex < Ctx.Lines.size(); ++Ctx.LineIndex) {
        // A macro of commands that never wait (or an endless Repeat) would
        // otherwise never let the window see Escape.
        Host.ProcessEvents();
        if (StopPending || Host.TakeStopRequest()) return false;
        const TMacroCommand command = ParseMacroLine(Ctx.Lines[Ctx.LineIndex]);
        if (!command.IsCommand) continue;
        Ctx.Arg = command.Arg;
        if (!Host.ExecuteAction(command.Name)) return false;
    }
    return !StopPending;
}

QStringList TMacroEngine::MacroMenuCaptions() const
{
    QStringList captions;
    const QStringList files = QDir(MacroFolder).entryList({QLatin1Char('*') + kMacroExtension},
                                                        QDir::Files | QDir::CaseSensitive,
                                                        QDir::Name | QDir::IgnoreCase);
    for (const QString& name : files) captions << name.section(QLatin1Char('.'), 0, 0);
    return captions;
}

bool TMacroEngine::RunMenuMacro(const QString& caption)
{
    if (IsRunning) return false;
    LastMacro = caption;
    HasLastMacro = true;
    return RunMacro(QDir(MacroFolder).filePath(caption + kMacroExtension));
}

bool TMacroEngine::RepeatLastMacro()
{
    return HasLastMacro && RunMenuMacro(LastMacro);
}

bool TMacroEngine::IsStartupMacro(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString name = info.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return info.isFile() && dot >= 0 && name.mid(dot) == kMacroExtension;
}

void TMacroEngine::ForConnection()
{
    if (!Ctx.Arg.isEmpty()) Host.SetConnections(LoopConnections(Ctx.Arg));
    Ctx.ConnIndex = 0;
    Host.SelectConnection(0);
    Ctx.LoopLine = Ctx.LineIndex;
}

QStringList TMacroEngine::LoopConnections(const QString& arg)
{
    const QStringList items = SplitLoopArgument(arg);
    if (items.size() == 1) return items;
    if (items.size() != 3) throw TError(kForConnectionArgMessage + arg);
    const int from = ToInteger(items[1]);
    const int to = ToInteger(items[2]);
    if (to < from || qint64(to) - from > kMaxLoopSpan) throw TError(kForConnectionArgMessage + arg);
    const TConnectionPattern pattern(items[0]);

    QStringList connections;
    if (!TMyIniFile(SettingsFilePath()).ReadBool(QStringLiteral("common"), QStringLiteral("forconnection_request"), false)) {
        for (int k = 0; k <= to - from; ++k) connections << pattern.Format(from + k);
    } else {
        TForConnectionForm& form = LoopForm();
        // The user's last choices stay while the pattern stays the same.
        if (form.Pattern() != arg) form.Setup(arg, from, to);
        if (Ctx.RepeatCount == 0 && !form.Execute()) throw TError(kLoopCancelledMessage);
        const int a = form.From();
        const int b = form.To();
        const int step = b >= a ? 1 : -1;
        const int span = (b - a) * step;
        if (span > kMaxLoopSpan) throw TError(kForConnectionArgMessage + arg);
        for (int k = 0; k <= span; ++k)
            if (form.IsTicked(k)) connections << pattern.Format(a + step * k);
    }
    SortConnections(connections);
    return connections;
}

TForConnectionForm& TMacroEngine::LoopForm()
{
    if (!Form) Form = NewForConnectionForm();
    return *Form;
}

std::unique_ptr<TForConnectionForm> TMacroEngine::NewForConnectionForm()
{
    return std::make_unique<TForConnectionForm>();
}

void TMacroEngine::NextConnection()
{
    if (Ctx.ConnIndex == -1 || Ctx.LoopLine == -1) throw TError(kNextConnectionMessage);
    ++Ctx.ConnIndex;
    if (Ctx.ConnIndex < Host.Connections().size()) {
        Host.SelectConnection(Ctx.ConnIndex);
        Ctx.LineIndex = Ctx.LoopLine;
    }
}

void TMacroEngine::Repeat()
{
    int count = Ctx.RepeatCount;
    int times = 0;
    if (!Ctx.Arg.isEmpty()) {
        bool ok = false;
        times = Ctx.Arg.toInt(&ok);
        if (!ok) throw TError(kRepeatArgMessage);
    }
    if (times == 0) {
        count = 1;
    } else if (++count >= times) {
        return;
    }
    Ctx.Reset();
    Ctx.RepeatCount = count;
    Ctx.LineIndex = -1;  // the loop steps on to line 0
}

void TMacroEngine::Pause()
{
    bool ok = true;
    const int seconds = Ctx.Arg.isEmpty() ? 1 : Ctx.Arg.toInt(&ok);
    if (!ok || seconds < 1 || seconds > kMaxPauseSeconds) return;
    Host.ProcessEvents();
    Wait(seconds * 1000);
}

// Keeps handling events while it waits, so that Escape can end a long pause.
void TMacroEngine::Wait(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QThread::msleep(1);
        Host.ProcessEvents();
        if (Host.TakeStopRequest()) {
            StopPending = true;
            return;
        }
    }
}
