#include "app/service_commands.h"

#include "app/datetime_dlg.h"
#include "app/led_config_dlg.h"
#include "app/load_control_dlg.h"
#include "app/service_host.h"
#include "common/error.h"
#include "common/prompter.h"
#include "device/device.h"
#include "pages/action.h"
#include "pages/frame_base.h"

const char* const kClearQuestionTitle = "Запрос на подтверждение";
const char* const kClearQuestion = "Вы уверены что хотите обнулить архивы энергии, мощности и срезов ?";
const char* const kUnknownExtModule = "Неизвестный модуль расширения";
const char* const kGsmModemPage = "GSM-модем";

namespace {

const int kTransitOn = 1;
const int kTransitSetup = 2;

enum TExtModuleKind : uint8_t { emNone = 0, emGsm = 2, emFirstUnknown = 6 };

}  // namespace

TServiceCommands::TServiceCommands(IServiceHost& host, TDevice& device)
    : ExecDialog([](QDialog& dialog) { return dialog.exec(); }), Host(host), Device(device)
{
}

void TServiceCommands::Install(TActionList& actions)
{
    using THandler = void (TServiceCommands::*)(TAction&);
    static const struct {
        const char* Name;
        THandler Handler;
    } kHandlers[] = {
        {"SyncTime", &TServiceCommands::SyncTime},
        {"SetTime", &TServiceCommands::SetTime},
        {"NewParol", &TServiceCommands::NewParol},
        {"ClearComercArh", &TServiceCommands::ClearComercArh},
        {"SetNetAdr", &TServiceCommands::SetNetAdr},
        {"SetBaudRate", &TServiceCommands::SetBaudRate},
        {"ConfigLED", &TServiceCommands::ConfigLED},
        {"SetResursBattery", &TServiceCommands::SetResursBattery},
        {"ControlLoad", &TServiceCommands::ControlLoad},
        {"SetExtMod", &TServiceCommands::SetExtMod},
        {"SetStamp", &TServiceCommands::SetStamp},
        {"SetTransit", &TServiceCommands::SetTransit},
        {"SetupTransit", &TServiceCommands::SetupTransit},
    };
    for (const auto& entry : kHandlers) {
        if (TAction* action = actions.FindAction(QString::fromLatin1(entry.Name))) {
            const THandler handler = entry.Handler;
            action->OnExecute = [this, handler](TAction& a) { (this->*handler)(a); };
        }
    }
}

bool TServiceCommands::AskDateTime(QDateTime* value)
{
    TDlgAnyDataTimeSet dialog(Host.DialogParent());
    dialog.SetValue(*value);
    if (ExecDialog(dialog) != QDialog::Accepted) return false;
    *value = dialog.Value();
    return true;
}

void TServiceCommands::SyncTime(TAction& action)
{
    action.Tag = Host.RunExchange([this] { WriteMeterClock(Device, cmSync, QDateTime(), nullptr); });
}

void TServiceCommands::SetTime(TAction& action)
{
    QDateTime value = QDateTime::currentDateTime();
    if (!AskDateTime(&value)) return;
    action.Tag = Host.RunExchange([this, value] {
        WriteMeterClock(Device, cmSet, value, [this](QDateTime* again) { return AskDateTime(again); });
    });
}

void TServiceCommands::NewParol(TAction& action)
{
    // From the menu the change-password dialog asks; a macro names the password.
    const QString password = action.StartedFromControl ? QString() : Host.MacroArg();
    action.Tag = Host.RunExchange([this, password] { Device.ChangePassword(password); });
}

void TServiceCommands::ClearComercArh(TAction& action)
{
    if (action.StartedFromControl
        && !Prompter().Confirm(QString::fromUtf8(kClearQuestionTitle), QString::fromUtf8(kClearQuestion)))
        return;
    action.Tag = Host.RunExchange([this] { Device.ClearArchives(); });
}

void TServiceCommands::SetNetAdr(TAction& action)
{
    const uint8_t address = NetAddressFromArg(Host.MacroArg(), Host.ConnIndex());
    action.Tag = Host.RunExchange([this, address] { WriteNetAddress(Device, address); });
}

void TServiceCommands::SetBaudRate(TAction& action)
{
    const uint16_t rate = BaudRateFromArg(Host.MacroArg());
    action.Tag = Host.RunExchange([this, rate] { WriteBaudRate(Device, rate); });
}

void TServiceCommands::ConfigLED(TAction& action)
{
    TLedConfigDlg dialog(Host.DialogParent());
    TLedConfig config;
    action.Tag = Host.RunExchange([this, &config] { config = ReadLedConfig(Device); });
    if (action.Tag != 0) return;
    dialog.ShowConfig(config);
    if (ExecDialog(dialog) != QDialog::Accepted) return;
    config = dialog.Config();
    action.Tag = Host.RunExchange([this, config] { WriteLedConfig(Device, config); });
}

void TServiceCommands::SetResursBattery(TAction& action)
{
    uint32_t value = 0;
    if (!ParseBatteryLife(BatteryLifeText(Host.MacroArg()), &value)) {
        Prompter().ShowError(QString::fromUtf8(kBadBatteryLife));
        action.Tag = -1;
        return;
    }
    action.Tag = Host.RunExchange([this, value] { WriteBatteryLife(Device, value); });
}

void TServiceCommands::ControlLoad(TAction& action)
{
    if (Host.MacroRunning()) {
        // A macro switching many meters goes on past one that refuses.
        bool ok = false;
        const int value = Host.MacroArg().toInt(&ok);
        Load.On = !ok || value != 0;
        Host.RunExchange([this] {
            try {
                ApplyLoadState(Device, Load);
            } catch (const TError&) {
            }
        });
        return;
    }
    TLoadControl dialog(Host.DialogParent());
    action.Tag = Host.RunExchange([this] { ReadLoadState(Device, &Load); });
    if (action.Tag != 0) return;
    dialog.SetLoadOn(Load.On);
    if (ExecDialog(dialog) != QDialog::Accepted) return;
    Load.On = dialog.LoadOn();
    action.Tag = Host.RunExchange([this] { ApplyLoadState(Device, Load); });
}

void TServiceCommands::SetExtMod(TAction& action)
{
    QByteArray record;
    action.Tag = Host.RunExchange([this, &record] { record = ReadExtModuleRecord(Device); });
    if (action.Tag != 0) return;
    ExtModuleRecord = record;
    const uint8_t kind = uint8_t(record[kExtModuleKindByte]);
    if (kind == emNone || kind >= emFirstUnknown) {
        Prompter().ShowWarning(QString::fromUtf8(kUnknownExtModule));
    } else if (kind == emGsm) {
        // The GSM module has its own page; without one there is nothing to read.
        if (Host.SelectPageByCaption(QString::fromUtf8(kGsmModemPage)) != 0) {
            action.Tag = -1;
            return;
        }
        TFrameBase* page = Host.CurrentPage();
        action.Tag = page ? Host.RunExchange([page] { page->Read(); }) : -1;
    } else {
        Host.OpenExtModDialog(ExtModuleRecord);
    }
}

void TServiceCommands::SetStamp(TAction& action)
{
    // Opening and closing the connection is the whole command.
    action.Tag = Host.RunExchange([] {});
}

void TServiceCommands::SetTransit(TAction& action) { RunTransit(action, kTransitOn); }

void TServiceCommands::SetupTransit(TAction& action) { RunTransit(action, kTransitSetup); }

void TServiceCommands::RunTransit(TAction& action, int mode)
{
    TFrameBase* page = Host.CurrentPage();
    if (!page) return;
    try {
        page->SetTransit(mode);
    } catch (const TError& e) {
        Prompter().ShowError(e.Message);
        action.Tag = -1;
    }
}
