#include "app/page_registry.h"

#include "common/error.h"
#include "pages/action.h"
#include "pages/frame_config_1.h"

#include <QTabWidget>
#include <QVBoxLayout>

// Pages join this table, in tab order, as they are built.
const TPageRow kPageTable[] = {
    {9, "Конфигурация"},
    {255, nullptr},
};

const char* const kRestrictedActions[7] = {"Write", "NewParol", "ConfigLED", "ControlLoad",
                                           "SetTime", "SetExtMod", "ClearComercArh"};

TFrameBase* CreatePage(int kind, QWidget* sheet)
{
    switch (kind) {
    case 9: return new TFrameConfig_1(sheet);
    default: throw TError(QStringLiteral("Не могу создать Frame %1").arg(kind));
    }
}

void BuildPages(QTabWidget* pageControl)
{
    for (const TPageRow* row = kPageTable; row->Kind != 255; ++row) {
        auto* sheet = new QWidget(pageControl);
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(CreatePage(row->Kind, sheet));
        pageControl->addTab(sheet, QString::fromUtf8(row->Caption));
    }
}

void HideRestrictedActions(TActionList& actions, bool showRestricted)
{
    if (showRestricted) return;
    for (const char* name : kRestrictedActions)
        if (TAction* action = actions.FindAction(QString::fromUtf8(name))) action->setVisible(false);
}
