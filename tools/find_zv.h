#pragma once
#include "connection/connection.h"

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

extern const char* const kSearchingText;    // "Идет поиск счетчиков."
extern const char* const kSearchDoneText;   // "Поиск завершен"
extern const char* const kPortBusyText;     // "COM-порт занят. Перед поиском счетчиков закройте соединение."

// The meter search window: finds the serial numbers of the meters on the bus
// of a connection string within a range, over its own link, so the meter's
// connection stays as it was.
class TFindZV : public QDialog {
    Q_OBJECT
public:
    explicit TFindZV(QWidget* parent = nullptr);
    ~TFindZV() override;

    // The window created once with the main window, null before that.
    static TFindZV* Current();

    void SetConnectionString(const QString& text) { ConnectionString = text; }
    QStringList FoundNumbers() const;

    void Search();
    void SaveList();
    void done(int result) override;

    QGroupBox* GroupBox1;
    QListWidget* ListBox1;
    QProgressBar* ProgressBar1;
    QLabel* Label2;
    QLineEdit* LoSN;
    QLineEdit* HiSN;
    QSpinBox* UpDown1;   // meters to find, 0 = all
    QSpinBox* UpDown2;   // reply time-out, ms
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

private:
    void ReadSettings();
    void WriteSettings();
    void ShowFoundCount();
    void PlaceWaitWindow();

    TConnection Link;
    QString ConnectionString;
};
