// The striped grid, the wait window, the password dialogs and the message
// boxes of the desktop prompter.
#include "app/change_password_dlg.h"
#include "app/gui_prompter.h"
#include "app/password_dlg.h"
#include "pages/advanced_string_grid.h"
#include "pages/wait_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Runs `answer` on the modal window that the next exec() shows.
void OnNextModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        answer(modal);
    });
}

template <class T>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (!child) qFatal("no child %s", name);
    return child;
}

}  // namespace

class TstSmallWidgets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stretchKeepsProportions();
    void stripedRows_data();
    void stripedRows();
    void waitFormAnimation();
    void waitFormCancel();
    void changePasswordComment();
    void changePasswordMismatch();
    void askPassword_data();
    void askPassword();
    void askNewPassword();
    void messageBoxes_data();
    void messageBoxes();
    void fileFilter_data();
    void fileFilter();
};

void TstSmallWidgets::stretchKeepsProportions()
{
    TAdvancedStringGrid grid;
    grid.setFrameShape(QFrame::NoFrame);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setColumnCount(3);
    grid.setRowCount(2);
    grid.resize(400, 100);
    grid.show();
    const int widths[] = {100, 100, 200};
    for (int c = 0; c < 3; ++c) grid.setColumnWidth(c, widths[c]);
    grid.SetAutoStretched(true);

    grid.resize(800, 100);
    QCOMPARE(grid.viewport()->width(), 800);
    QCOMPARE(QList<int>({grid.columnWidth(0), grid.columnWidth(1), grid.columnWidth(2)}), QList<int>({200, 200, 397}));

    grid.SetAutoStretched(false);
    grid.resize(500, 100);
    QCOMPARE(grid.columnWidth(2), 397);
}

void TstSmallWidgets::stripedRows_data()
{
    QTest::addColumn<bool>("striped");
    QTest::addColumn<bool>("selectAll");
    QTest::newRow("striped") << true << false;
    QTest::newRow("striped, all selected") << true << true;
    QTest::newRow("plain") << false << false;
}

void TstSmallWidgets::stripedRows()
{
    QFETCH(bool, striped);
    QFETCH(bool, selectAll);
    TAdvancedStringGrid grid;
    grid.Striped = striped;
    grid.FixedCols = 0;
    grid.setColumnCount(2);
    grid.setRowCount(5);
    grid.resize(300, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    if (selectAll) grid.selectAll();

    const QImage image = grid.viewport()->grab().toImage();
    const QColor base = grid.palette().color(QPalette::Base);
    const QColor expected[] = {grid.palette().color(QPalette::Button), base, striped ? QColor(0, 255, 255) : base,
                               base, striped ? QColor(0, 255, 255) : base};
    for (int row = 0; row < 5; ++row) {
        const QPoint inside(grid.columnViewportPosition(1) + 20, grid.rowViewportPosition(row) + 3);
        QCOMPARE(image.pixelColor(inside * image.devicePixelRatio()), expected[row]);
    }
}

void TstSmallWidgets::waitFormAnimation()
{
    QStringList panel;
    {
        TWaitForm form(nullptr, [&panel](const QString& text) { panel.append(text); });
        form.Timer1->stop();
        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Подождите !!!"));
        form.SetStatusText(QStringLiteral("Чтение данных..."));

        QStringList statusAt;
        for (int tick = 1; tick <= 17; ++tick) {
            form.Tick();
            statusAt.append(form.stStatus->text());
        }
        QCOMPARE(statusAt.at(0), QStringLiteral("Чтение данных... "));
        QCOMPARE(statusAt.at(7), QStringLiteral("Чтение данных...        "));
        QCOMPARE(statusAt.at(8), QStringLiteral("Чтение данных...       "));
        QCOMPARE(statusAt.at(15), QStringLiteral("Чтение данных..."));
        QCOMPARE(statusAt.at(16), QStringLiteral("Чтение данных... "));
        QCOMPARE(panel.mid(0, 8), QStringList({"—", "\\", "\\", "|", "|", "/", "/", "—"}));
    }
    QCOMPARE(panel.last(), QString());
}

void TstSmallWidgets::waitFormCancel()
{
    QString panel;
    InstallGuiWaitHooks(nullptr, [&panel](const QString& text) { panel = text; });
    std::unique_ptr<IWaitWindow> window(CreateWaitWindow());
    auto* form = dynamic_cast<TWaitForm*>(window.get());
    QVERIFY(form);
    SetCurrentWaitWindow(window.get());
    QVERIFY(!CheckCancel());

    QTest::mouseClick(form->Button, Qt::LeftButton);
    QVERIFY(CheckCancel());
    QVERIFY(form->isVisible());

    SetCurrentWaitWindow(nullptr);
    SetWaitWindowFactory(nullptr);
    SetEventPump(nullptr);
}

void TstSmallWidgets::changePasswordComment()
{
    TChangePasswordDlg dialog;
    dialog.show();
    QCOMPARE(dialog.Level(), 0);
    QVERIFY(!dialog.lbComment->isVisible());
    QTest::mouseClick(dialog.rgSelectAdditional, Qt::LeftButton);
    QCOMPARE(dialog.Level(), 1);
    QVERIFY(dialog.lbComment->isVisible());
    QCOMPARE(dialog.lbComment->text(),
             QStringLiteral("Внимание !!!  Дополнительный пароль позволяет изменять только: сетевой адрес, параметры "
                            "канала связи и перечень отображаемых параметров на индикаторе электросчетчика."));
    QTest::mouseClick(dialog.rgSelectMain, Qt::LeftButton);
    QVERIFY(!dialog.lbComment->isVisible());
    QCOMPARE(dialog.rgSelectMain->text(), QStringLiteral("основной "));
}

void TstSmallWidgets::changePasswordMismatch()
{
    TChangePasswordDlg dialog;
    QStringList shown;
    dialog.ShowInputError = [&shown](const QString& title, const QString& text) { shown << title << text; };
    dialog.show();
    QTest::keyClicks(dialog.NewPassword, QStringLiteral("123456789"));
    QTest::keyClicks(dialog.AcnPassword, QStringLiteral("12345670"));
    QCOMPARE(dialog.NewPassword->text(), QStringLiteral("12345678"));

    QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    QCOMPARE(shown, QStringList({"Ошибка ввода", "Подтверждение пароля не соответствует новому паролю !\nПовторите ввод."}));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.NewPassword->text(), QString());
    QCOMPARE(dialog.AcnPassword->text(), QString());
    QCOMPARE(dialog.focusWidget(), dialog.NewPassword);

    QTest::keyClicks(dialog.NewPassword, QStringLiteral("ab"));
    QTest::keyClicks(dialog.AcnPassword, QStringLiteral("ab"));
    QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(shown.size(), 2);
}

void TstSmallWidgets::askPassword_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("OK") << QByteArray("OKBtn") << true;
    QTest::newRow("Отмена") << QByteArray("CancelBtn") << false;
}

void TstSmallWidgets::askPassword()
{
    QFETCH(QByteArray, button);
    QFETCH(bool, accepted);
    QString prompt;
    OnNextModal([&prompt, button](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Пароль"));
        prompt = Child<QLabel>(dialog, "Label")->text();
        QLineEdit* edit = Child<QLineEdit>(dialog, "Password");
        QCOMPARE(edit->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit), int('*'));
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QTest::mouseClick(Child<QPushButton>(dialog, button.constData()), Qt::LeftButton);
    });
    TGuiPrompter prompter;
    QString password = QStringLiteral("unchanged");
    QCOMPARE(prompter.AskPassword(QStringLiteral("Введите дополнительный пароль"), &password), accepted);
    QCOMPARE(prompt, QStringLiteral("Введите дополнительный пароль"));
    QCOMPARE(password, accepted ? QStringLiteral("abc") : QStringLiteral("unchanged"));
}

void TstSmallWidgets::askNewPassword()
{
    OnNextModal([](QWidget* dialog) {
        QTest::keyClicks(Child<QLineEdit>(dialog, "NewPassword"), QStringLiteral("777"));
        QTest::keyClicks(Child<QLineEdit>(dialog, "AcnPassword"), QStringLiteral("777"));
        QTest::mouseClick(Child<QRadioButton>(dialog, "rgSelectAdditional"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
    });
    TGuiPrompter prompter;
    QString password;
    int level = 0;
    QVERIFY(prompter.AskNewPassword(&password, &level));
    QCOMPARE(password, QStringLiteral("777"));
    QCOMPARE(level, 1);
}

void TstSmallWidgets::messageBoxes_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("title");
    QTest::newRow("error") << true << QStringLiteral("Ошибка");
    QTest::newRow("warning") << false << QStringLiteral("Предупреждение");
}

void TstSmallWidgets::messageBoxes()
{
    QFETCH(bool, error);
    QFETCH(QString, title);
    QStringList seen;
    OnNextModal([&seen](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
        seen << box->windowTitle() << box->text();
        box->button(QMessageBox::Ok)->click();
    });
    TGuiPrompter prompter;
    if (error) prompter.ShowError(QStringLiteral("Текст"));
    else prompter.ShowWarning(QStringLiteral("Текст"));
    QCOMPARE(seen, QStringList({title, "Текст"}));
}

void TstSmallWidgets::fileFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("two masks") << QStringLiteral("Таблица электросчетчика|EN*.TXT;EN*.VXT") << QStringLiteral("Таблица электросчетчика (EN*.TXT EN*.VXT)");
    QTest::newRow("two pairs") << QStringLiteral("Таблица (EN*.txt)|EN*.TXT|Все|*.*")
                               << QStringLiteral("Таблица (EN*.txt) (EN*.TXT);;Все (*.*)");
}

void TstSmallWidgets::fileFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtFileFilter(filter), qt);
}

QTEST_MAIN(TstSmallWidgets)
#include "tst_small_widgets.moc"
