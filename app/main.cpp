#include "app/connection_list.h"
#include "app/gui_prompter.h"
#include "app/main_form.h"
#include "common/prompter.h"
#include "pages/wait_form.h"
#include "tools/find_zv.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStatusBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexa"));
    QApplication::setApplicationVersion(QStringLiteral(VEXA_VERSION));

    // The whole command line after the program name names the start-up macro.
    QStringList words = QApplication::arguments();
    words.removeFirst();
    const QString startupMacro = words.join(QLatin1Char(' '));

    // Without a display (cron, tests) messages go to stderr and nothing waits for a click.
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    TGuiPrompter guiPrompter;
    if (!headless) SetPrompter(&guiPrompter);

    TConnectionList::SetFolder(QDir::currentPath());
    TMainForm window(startupMacro);
    InstallGuiWaitHooks(&window, [&window](const QString& text) {
        if (auto* panel = window.findChild<QLabel*>(QStringLiteral("StatusPanel0"))) panel->setText(text);
    });
    TFindZV search(&window);
    window.show();
    const int code = app.exec();
    SetPrompter(nullptr);
    return code;
}
