// The saved connections of the main window: the selector, the network
// address field and the add, edit and delete commands.
#include "app/main_form.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/prompter.h"
#include "connection/connection_string.h"
#include "pages/action.h"
#include "tools/connection_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
const QString kCommon = QStringLiteral("common");
const QString kCurConnection = QStringLiteral("cur_connection");
}  // namespace

void TMainForm::LoadConnections()
{
    ConnectionLines.Load();
    int selected = -1;
    if (ConnectionLines.Count() > 0) {
        const int remembered = TMyIniFile(SettingsFilePath()).ReadInteger(kCommon, kCurConnection, 0);
        if (remembered >= 0 && remembered < ConnectionLines.Count()) selected = remembered;
    } else {
        ConnectionLines.Add(QString::fromUtf8(kDefaultConnection));
        selected = 0;
    }
    FillConnectionBox(selected);
}

void TMainForm::FillConnectionBox(int selected)
{
    const QSignalBlocker blocker(cbConnection);
    cbConnection->clear();
    for (int i = 0; i < ConnectionLines.Count(); ++i) cbConnection->addItem(ConnectionLines.DisplayName(i), ConnectionLines.Line(i));
    cbConnection->setCurrentIndex(selected);
    ActionList->FindAction(QStringLiteral("DeleteConnection"))->SetEnabled(ConnectionLines.Count() > 1);
}

void TMainForm::SaveConnections()
{
    try {
        ConnectionLines.Save();
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
}

void TMainForm::ShowNetAddress()
{
    uint8_t address = 0;
    try {
        address = GetNetAddress(ConnectionText());
    } catch (const TError&) {
    }
    const QSignalBlocker blocker(eNetAdr);
    eNetAdr->setText(QString::number(address));
}

void TMainForm::ConnectionSelected(int index)
{
    try {
        TMyIniFile(SettingsFilePath()).WriteInteger(kCommon, kCurConnection, index);
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
    }
    ShowNetAddress();
}

void TMainForm::AddConnection(TAction&)
{
    const QString initial = ConnectionLines.FreeName() + QLatin1Char('=') +
                            TConnectionList::ConnectionPart(ConnectionText());
    const QString line = ConnectionDialog(QString::fromUtf8(kAddConnectionCaption), initial);
    if (line.isEmpty()) return;
    const int index = ConnectionLines.Add(line);
    FillConnectionBox(index);
    SaveConnections();
    ConnectionSelected(index);
}

void TMainForm::EditConnection(TAction&)
{
    const int selected = cbConnection->currentIndex();
    if (selected < 0) return;
    const QString line = ConnectionDialog(QString::fromUtf8(kEditConnectionCaption), ConnectionText());
    if (line.isEmpty()) return;
    FillConnectionBox(ConnectionLines.Replace(selected, line));
    SaveConnections();
    ShowNetAddress();
}

void TMainForm::DeleteConnection(TAction&)
{
    const int selected = cbConnection->currentIndex();
    if (selected < 0 || ConnectionLines.Count() < 2) return;
    const QString question = QStringLiteral("Вы уверены что хотите удалить соединение: '") +
                             ConnectionLines.DisplayName(selected) + QLatin1Char('\'');
    if (!Prompter().Confirm(QStringLiteral("Удаление подключения"), question)) return;
    ConnectionLines.Remove(selected);
    FillConnectionBox(0);
    SaveConnections();
    ConnectionSelected(0);
}

void TMainForm::NetAddressEdited()
{
    bool ok = false;
    const int address = eNetAdr->text().toInt(&ok);
    if (!ok || address >= 256) {
        eNetAdr->setText(QStringLiteral("0"));  // runs this handler again
        return;
    }
    const int selected = cbConnection->currentIndex();
    if (selected < 0) return;
    const QString line = ConnectionText();
    try {
        if (GetNetAddress(line) == address) return;
    } catch (const TError&) {
        return;  // a line that does not parse keeps its text
    }
    const QString changed = SetNetAddress(line, address);
    if (changed.isEmpty()) return;
    FillConnectionBox(ConnectionLines.Replace(selected, changed));
    SaveConnections();
}

void TMainForm::SetConnections(const QStringList& items)
{
    ConnectionLines.SetLines(items);
    FillConnectionBox(-1);
}

int TMainForm::SelectedConnection() const { return cbConnection->currentIndex(); }

void TMainForm::SelectConnection(int index)
{
    const QSignalBlocker blocker(cbConnection);
    cbConnection->setCurrentIndex(index >= 0 && index < cbConnection->count() ? index : -1);
}
