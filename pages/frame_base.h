#pragma once
#include <QByteArray>
#include <QFrame>
#include <QString>
#include <QStringList>
#include <cstdint>

class QMenu;
class QTableWidget;
class TAction;
class TActionList;
class TDevice;

// A page's own menu action: the main-window action name and the caption it
// carries while the page is current. Tables end with a null name.
struct TPageAction {
    const char* Name;
    const char* Caption;
};

// Page abilities: which main actions the page supports.
enum TAbility : uint8_t { abRead = 1, abAuto = 2, abWrite = 3 };

// The base of every data page: the operations the main window's actions run,
// the page's abilities and menu actions, and the table file writers.
// Operations report failures by raising TError; the main window shows them.
class TFrameBase : public QFrame {
    Q_OBJECT
public:
    TFrameBase(QWidget* owner, const TPageAction* pageActions);

    bool Has(TAbility a) const { return Abilities & (1u << a); }

    virtual void Activate();
    virtual void Read() {}
    virtual void AutoRead() {}
    virtual void Write() {}
    virtual void SaveToFile(const QString& fileName) { Q_UNUSED(fileName); }
    virtual void SaveToXLS(const QString& fileName) { Q_UNUSED(fileName); }
    virtual void LoadFromFile(const QString& fileName) { Q_UNUSED(fileName); }
    virtual void PrintChart() {}
    virtual void PrintTable() {}
    virtual void ClearEx() {}
    virtual void Special() {}
    virtual void SetTransit(int mode) { Q_UNUSED(mode); }
    virtual void ClickButton(const QString& caption) { Q_UNUSED(caption); }
    virtual void SelectTab(const QString& caption) { Q_UNUSED(caption); }
    virtual bool HandleTabKey(QWidget* activeControl) { Q_UNUSED(activeControl); return false; }
    virtual void WriteGridText(QByteArray& out, const QTableWidget* grid);
    virtual void ReadGridText(QStringList& lines, QTableWidget* grid);
    // Writes a page table file; an empty name asks the user (cancel writes nothing).
    virtual void SaveGridsToFile(const QString& fileName, const QTableWidget* grid, const QTableWidget* second);
    virtual void SaveGridToXLS(const QString& fileName, const QTableWidget* grid) { Q_UNUSED(fileName); Q_UNUSED(grid); }
    // False when the user cancelled the open dialog.
    virtual bool LoadGridsFromFile(const QString& fileName, QTableWidget* grid, QTableWidget* second);
    virtual void PrintChartWithTitle(const QString& title, QWidget* chart) { Q_UNUSED(title); Q_UNUSED(chart); }
    virtual void PrintGrids(const QTableWidget* grid, const QTableWidget* second) { Q_UNUSED(grid); Q_UNUSED(second); }
    virtual QString GetTitle() const { return QString(); }

    QMenu* PopupMenu = nullptr;
    uint8_t Abilities = 0;  // bit n set = ability n
    const TPageAction* PageActions;
    QString FilePrefix;

    // The main window's action list, given to the framework at start-up.
    static void SetActionList(TActionList* list);
    static TActionList* ActionList();

protected:
    void SetAbilities(std::initializer_list<TAbility> abilities);
};

// Runs a main-window action by name as a macro does; raises
// "Команда <name> не найдена !" for an unknown name. True when Tag stayed 0.
bool ExecuteActionByName(const QString& name);
TAction* FindAction(const QString& name);

// The identity of the meter behind the current connection, printed in the
// header of every saved, exported and printed table (16, 10 and 8 bytes).
extern QByteArray MeterTypeText;
extern QByteArray SerialNumberText;
extern QByteArray UserNumberText;
// Reads the three texts over an open connection; each is cleared before its read.
void ReadIdentity(TDevice& device);
