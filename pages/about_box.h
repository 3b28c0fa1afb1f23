#pragma once
#include <QDialog>

class QLabel;

// The About window: product name and version with the build date.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* mainWindow);

    QLabel* ProductName;
    QLabel* Version;
};

// "Версия <version> /0  (build on <compiler date>)".
QString AboutVersionText(const QString& version);
