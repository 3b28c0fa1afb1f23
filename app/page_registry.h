#pragma once
#include <QString>
#include <cstdint>

class QTabWidget;
class QWidget;
class TActionList;
class TFrameBase;

// The pages of the main window: kind and tab caption, in tab order.
struct TPageRow {
    uint8_t Kind;
    const char* Caption;
};
extern const TPageRow kPageTable[];  // ends with kind 255

// Creates the page of a kind inside its tab sheet; unknown kinds raise
// "Не могу создать Frame <kind>".
TFrameBase* CreatePage(int kind, QWidget* sheet);
// One tab per row of the page table.
void BuildPages(QTabWidget* pageControl);
// Hides the actions that only macros may run.
void HideRestrictedActions(TActionList& actions, bool showRestricted);

extern const char* const kRestrictedActions[7];
