// The main window's side of the macro engine: the macro menu, the start-up
// macro and the hooks the engine runs a macro through.
#include "app/main_form.h"

#include "common/prompter.h"
#include "pages/action.h"
#include "pages/frame_base.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>

int StartupMacroExitCode = 0;

bool TMainForm::ExecuteAction(const QString& name) { return ExecuteActionByName(name); }

void TMainForm::ProcessEvents() { QCoreApplication::processEvents(); }

bool TMainForm::TakeStopRequest()
{
    const bool requested = StopRequested;
    StopRequested = false;
    return requested;
}

void TMainForm::keyPressEvent(QKeyEvent* event)
{
    // Escape stops a running macro before its next line.
    if (event->key() == Qt::Key_Escape && IsMacroRunning) {
        StopRequested = true;
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TMainForm::FillMacroMenu()
{
    MacroMenu->clear();
    const QStringList captions = Macro.MacroMenuCaptions();
    for (const QString& caption : captions) {
        QString shown = caption;
        QAction* item = MacroMenu->addAction(shown.replace(QLatin1Char('&'), QLatin1String("&&")));
        connect(item, &QAction::triggered, this, [this, caption] { Macro.RunMenuMacro(caption); });
    }
    MacroMenu->menuAction()->setVisible(!captions.isEmpty());
}

bool TMainForm::RunStartupMacro()
{
    if (!TMacroEngine::IsStartupMacro(StartupMacro)) return false;
    const bool finished = Macro.RunMacro(StartupMacro);
    // Without a display nobody reads the window: the exit code tells the caller.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen") ||
                          QGuiApplication::platformName() == QLatin1String("minimal");
    StartupMacroExitCode = finished ? 0 : 1;
    if (finished || headless) QCoreApplication::exit(headless ? StartupMacroExitCode : 0);
    return finished;
}

void TMainForm::OpenExtModDialog(const QByteArray&)
{
    Prompter().ShowWarning(QStringLiteral("Настройка модуля расширения в этой версии недоступна"));
}
