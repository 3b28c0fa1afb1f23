#include "pages/frame_base.h"

#include "common/error.h"
#include "common/prompter.h"
#include "device/device.h"
#include "pages/action.h"
#include "pages/grid_text.h"
#include "pages/table_file.h"

#include <QDateTime>
#include <QDir>
#include <QTableWidget>

#include <QMenu>

namespace {
TActionList* g_actions = nullptr;
const QString kFrameDependance = QStringLiteral("FrameDependance");
const QString kMainAction = QStringLiteral("MainAction");
const QString kUnUse = QStringLiteral("UnUse");
}  // namespace

QByteArray MeterTypeText;
QByteArray SerialNumberText;
QByteArray UserNumberText;

void TFrameBase::SetActionList(TActionList* list) { g_actions = list; }
TActionList* TFrameBase::ActionList() { return g_actions; }

TAction* FindAction(const QString& name) { return g_actions ? g_actions->FindAction(name) : nullptr; }

bool ExecuteActionByName(const QString& name)
{
    TAction* action = FindAction(name);
    if (!action) throw TError(QStringLiteral("Команда ") + name + QStringLiteral(" не найдена !"));
    action->ExecuteByName();
    return action->Tag == 0;
}

TFrameBase::TFrameBase(QWidget* owner, const TPageAction* pageActions)
    : QFrame(owner), PopupMenu(new QMenu(this)), PageActions(pageActions)
{
    // The page's own actions come first in its popup menu, in table order;
    // items of the page's design are added after this constructor.
    for (const TPageAction* p = PageActions; p && p->Name; ++p) {
        TAction* action = FindAction(QString::fromUtf8(p->Name));
        if (action && action->Category != kUnUse) PopupMenu->addAction(action);
    }
}

void TFrameBase::SetAbilities(std::initializer_list<TAbility> abilities)
{
    Abilities = 0;
    for (TAbility a : abilities) Abilities |= uint8_t(1u << a);
}

void TFrameBase::Activate()
{
    if (!g_actions) return;
    for (TAction* action : g_actions->Actions()) {
        if (action->Category == kFrameDependance) {
            action->setVisible(false);
        } else if (action->Category == kMainAction) {
            const QString name = action->Name();
            if (name == QLatin1String("Read")) action->SetEnabled(Has(abRead));
            else if (name == QLatin1String("Auto")) action->SetEnabled(Has(abAuto));
            else if (name == QLatin1String("Write")) action->SetEnabled(Has(abWrite));
        }
    }
    for (const TPageAction* p = PageActions; p && p->Name; ++p) {
        TAction* action = FindAction(QString::fromUtf8(p->Name));
        if (!action) continue;
        if (action->Category == kUnUse) {
            action->setVisible(false);
            continue;
        }
        action->setText(QString::fromUtf8(p->Caption));
        action->setVisible(true);
    }
}

void ReadIdentity(TDevice& device)
{
    struct Field {
        QByteArray* text;
        uint8_t param;
        int size;
    };
    // Every text is cleared first, so a failed read never leaves another
    // meter's identity in a saved or printed header.
    const Field fields[] = {{&MeterTypeText, 17, 16}, {&SerialNumberText, 18, 10}, {&UserNumberText, 22, 8}};
    for (const Field& f : fields) f.text->clear();
    for (const Field& f : fields) {
        const TReplyData data = device.Read(f.param);
        *f.text = QByteArray(data.Text(), qMin(f.size, data.Size));
    }
}

void TFrameBase::WriteGridText(QByteArray& out, const QTableWidget* grid)
{
    ::WriteGridText(out, TextGridOf(grid));
}

void TFrameBase::ReadGridText(QStringList& lines, QTableWidget* grid)
{
    TTextGrid text = TextGridOf(grid);  // a file without a table keeps the old top-left text
    ::ReadGridText(lines, text);
    ApplyTextGrid(text, grid);
}

void TFrameBase::SaveGridsToFile(const QString& fileName, const QTableWidget* grid, const QTableWidget* second)
{
    try {
        ExecuteActionByName(QStringLiteral("ReadHash"));  // the header shows the meter behind the connection
    } catch (const TError&) {
    }
    QString name = fileName;
    if (name.isEmpty()) {
        TFileDialogRequest request = SaveTableRequest(FilePrefix, QString::fromLatin1(SerialNumberText));
        request.Folder = QDir::currentPath();
        if (!Prompter().AskSaveFile(request, &name)) return;
    }
    QByteArray bytes = TableFileHeader(GetTitle(), MeterTypeText, SerialNumberText, UserNumberText,
                                       QDateTime::currentDateTime());
    WriteGridText(bytes, grid);
    if (second) WriteGridText(bytes, second);
    WriteTableFile(name, bytes);
}

bool TFrameBase::LoadGridsFromFile(const QString& fileName, QTableWidget* grid, QTableWidget* second)
{
    QString name = fileName;
    if (name.isEmpty()) {
        TFileDialogRequest request = OpenTableRequest(FilePrefix);
        request.Folder = QDir::currentPath();
        if (!Prompter().AskOpenFile(request, &name)) return false;
    }
    QStringList lines = ReadTableFileLines(name);
    ReadGridText(lines, grid);
    if (second) ReadGridText(lines, second);
    return true;
}
