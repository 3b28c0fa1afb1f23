#include "pages/wait_form.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Подождите !!!");
const QString kCancel = QStringLiteral("Отмена");
const int kStatusWidth = 338;
const int kTickMs = 100;
const int kMaxPadding = 8;
const QString kSpinner[] = {
    QStringLiteral("—"), QStringLiteral("—"), QStringLiteral("\\"), QStringLiteral("\\"),
    QStringLiteral("|"), QStringLiteral("|"), QStringLiteral("/"), QStringLiteral("/"),
};

}  // namespace

TWaitForm::TWaitForm(QWidget* mainWindow, TStatusPanelSetter statusPanel)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint
                              | Qt::MSWindowsFixedSizeDialogHint),
      stStatus(new QLabel(this)),
      Button(new QPushButton(kCancel, this)),
      Timer1(new QTimer(this)),
      StatusPanel(std::move(statusPanel))
{
    setWindowTitle(kCaption);
    stStatus->setObjectName(QStringLiteral("stStatus"));
    stStatus->setAlignment(Qt::AlignCenter);
    stStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    stStatus->setFixedWidth(kStatusWidth);
    Button->setObjectName(QStringLiteral("Button"));
    connect(Button, &QPushButton::clicked, this, [this] { Cancel = true; });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stStatus);
    layout->addWidget(Button, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Timer1, &QTimer::timeout, this, &TWaitForm::Tick);
    Timer1->start(kTickMs);

    adjustSize();
    if (mainWindow) move(mainWindow->frameGeometry().center() - rect().center());
    show();
}

TWaitForm::~TWaitForm()
{
    Timer1->stop();
    if (StatusPanel) StatusPanel(QString());
}

void TWaitForm::SetStatusText(const QString& text)
{
    Status = text;
    ShowStatus();
}

void TWaitForm::Tick()
{
    Spinner = (Spinner + 1) % 8;
    if (StatusPanel) StatusPanel(kSpinner[Spinner]);
    if (Growing) {
        if (++Padding == kMaxPadding) Growing = false;
    } else if (--Padding == 0) {
        Growing = true;
    }
    ShowStatus();
}

void TWaitForm::reject() { Cancel = true; }

void TWaitForm::ShowStatus() { stStatus->setText(Status + QString(Padding, QLatin1Char(' '))); }

void InstallGuiWaitHooks(QWidget* mainWindow, TStatusPanelSetter statusPanel)
{
    SetWaitWindowFactory([mainWindow, statusPanel]() -> IWaitWindow* { return new TWaitForm(mainWindow, statusPanel); });
    SetEventPump([] { QCoreApplication::processEvents(); });
}
