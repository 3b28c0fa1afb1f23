#include "pages/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("О программе");
const QString kProductName = QStringLiteral("Vexa");

}  // namespace

QString AboutVersionText(const QString& version)
{
    return QStringLiteral("Версия ") + version + QStringLiteral(" /0  (build on ") + QLatin1String(__DATE__)
        + QLatin1Char(')');
}

TAboutBox::TAboutBox(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ProductName(new QLabel(kProductName, this)),
      Version(new QLabel(AboutVersionText(QCoreApplication::applicationVersion()), this))
{
    setWindowTitle(kCaption);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    Version->setObjectName(QStringLiteral("Version"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    if (icon->pixmap().isNull()) icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (mainWindow) move(mainWindow->frameGeometry().center() - rect().center());
}
