#include "app/gui_prompter.h"

#include "app/change_password_dlg.h"
#include "app/password_dlg.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

const QString TGuiPrompter::kErrorTitle = QStringLiteral("Ошибка");
const QString TGuiPrompter::kWarningTitle = QStringLiteral("Предупреждение");
const QString TGuiPrompter::kInfoTitle = QStringLiteral("Информация");

namespace {

QWidget* Owner() { return QApplication::activeWindow(); }

QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, buttons, Owner());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setDefaultButton(byDefault);
    return QMessageBox::StandardButton(box.exec());
}

QString InitialPath(const TFileDialogRequest& request)
{
    const QString folder = request.Folder.isEmpty() ? QDir::currentPath() : request.Folder;
    return request.FileName.isEmpty() ? folder : QDir(folder).filePath(request.FileName);
}

bool RunFileDialog(const TFileDialogRequest& request, QFileDialog::AcceptMode mode, QString* fileName)
{
    QFileDialog dialog(Owner(), request.Title, InitialPath(request), QtFileFilter(request.Filter));
    dialog.setAcceptMode(mode);
    // Saving asks before overwriting (Qt's default); opening takes only existing files.
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.DefaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    *fileName = dialog.selectedFiles().first();
    return true;
}

}  // namespace

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString masks = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        filters.append(parts[i] + QStringLiteral(" (") + masks + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

void TGuiPrompter::ShowError(const QString& text) { ShowMessageBox(Owner(), QMessageBox::Warning, kErrorTitle, text); }

void TGuiPrompter::ShowWarning(const QString& text)
{
    ShowMessageBox(Owner(), QMessageBox::Warning, kWarningTitle, text);
}

void TGuiPrompter::ShowInfo(const QString& text)
{
    ShowMessageBox(Owner(), QMessageBox::Information, kInfoTitle, text);
}

bool TGuiPrompter::Confirm(const QString& title, const QString& text)
{
    return Ask(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

bool TGuiPrompter::AskYesNo(const QString& title, const QString& text)
{
    return Ask(QMessageBox::Information, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

bool TGuiPrompter::AskSaveFile(const TFileDialogRequest& request, QString* fileName)
{
    return RunFileDialog(request, QFileDialog::AcceptSave, fileName);
}

bool TGuiPrompter::AskOpenFile(const TFileDialogRequest& request, QString* fileName)
{
    return RunFileDialog(request, QFileDialog::AcceptOpen, fileName);
}

bool TGuiPrompter::AskPassword(const QString& prompt, QString* password)
{
    TPasswordDlg dialog;
    dialog.Label->setText(prompt);
    if (dialog.exec() != QDialog::Accepted) return false;
    *password = dialog.Password->text();
    return true;
}

bool TGuiPrompter::AskNewPassword(QString* password, int* level)
{
    TChangePasswordDlg dialog;
    if (dialog.exec() != QDialog::Accepted) return false;
    *password = dialog.NewPassword->text();
    *level = dialog.Level();
    return true;
}
