#pragma once
#include <QDialog>

class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

// The range dialog of ForConnection: the pattern, a number range and one tick
// per number. It keeps its range and ticks between macros.
class TForConnectionForm : public QDialog {
    Q_OBJECT
public:
    explicit TForConnectionForm(QWidget* parent = nullptr);

    // Shows the form modally; true on OK. Tests answer here instead of a user.
    virtual bool Execute();

    // Shows the pattern, sets the range and fills the list, every item ticked.
    void Setup(const QString& pattern, int from, int to);
    QString Pattern() const;
    int From() const;
    int To() const;
    bool IsTicked(int index) const;  // false beyond the list

    // "Заполнить": the numbers from "От" to "До" (either direction), all ticked.
    void Fill();
    // "Восстановить": the range as it was when the form was shown, filled again.
    void Recover();

    QLabel* ForConnectionLabel;
    QListWidget* clbNumber;
    QSpinBox* OtUpDown;  // with its edit, digits only
    QSpinBox* DoUpDown;
    QPushButton* ChangeBtn;
    QPushButton* RecoverBtn;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    QAction* SelectAllItem;
    QAction* ClearAllItem;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetAllTicks(bool ticked);

    int ShownFrom = 0;
    int ShownTo = 0;
};
