#pragma once
#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TPortFace;

extern const char* const kAddConnectionCaption;   // "Добавление нового подключения"
extern const char* const kEditConnectionCaption;  // "Редактирование текущего подключения"

// Edits one connection string: the name and link settings below, one tab per
// kind of interface above. It never opens a port; the meter search it starts
// uses a link of its own.
class TConfigDlg : public QDialog {
    Q_OBJECT
public:
    TConfigDlg(const QString& caption, const QString& connection, QWidget* parent = nullptr);

    // The string of the current tab and the common panel; raises TError when
    // the tab's controls hold settings its transport cannot take.
    QString BuildConnection();
    // The string built by OK.
    const QString& Result() const { return Built; }

    void accept() override;
    void LoadSnList();
    void FindMeters();

    QTabWidget* pcFaces;
    QList<TPortFace*> Faces;
    QLineEdit* eNameConnect;
    QSpinBox* eNetAdr;
    QSpinBox* eNumAttempts;
    QCheckBox* SNCheck;
    QLabel* SNLabel;
    QComboBox* SNEdit;
    QPushButton* SNLoad;
    QPushButton* SNFind;
    QCheckBox* cbProtocol;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void EnableSerialAddressing(bool enabled);
    void ReplaceSnItems(const QStringList& numbers);

    QString Built;
};

// Shows the dialog; the edited string, or the empty text when cancelled.
QString ShowConnectionDialog(const QString& caption, const QString& connection, QWidget* parent = nullptr);
