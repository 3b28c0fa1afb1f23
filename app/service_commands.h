#pragma once
#include "app/service_exchange.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>

class QDialog;
class TAction;
class TActionList;
class TDevice;
class IServiceHost;

// The main window's service commands (clock, password, archives, network
// address, baud rate, LED, battery, load, expansion module, stamp, transit).
// Each handler takes the executing action and leaves its result in Tag.
class TServiceCommands {
public:
    TServiceCommands(IServiceHost& host, TDevice& device);

    // Makes each service action of the list run its handler here.
    void Install(TActionList& actions);

    void SyncTime(TAction& action);
    void SetTime(TAction& action);
    void NewParol(TAction& action);
    void ClearComercArh(TAction& action);
    void SetNetAdr(TAction& action);
    void SetBaudRate(TAction& action);
    void ConfigLED(TAction& action);
    void SetResursBattery(TAction& action);
    void ControlLoad(TAction& action);
    void SetExtMod(TAction& action);
    void SetStamp(TAction& action);
    void SetTransit(TAction& action);
    void SetupTransit(TAction& action);

    // Runs a modal dialog; tests answer in place of the user.
    std::function<int(QDialog&)> ExecDialog;

    // What the last SetExtMod read from the meter.
    QByteArray ExtModuleRecord;
    // Load control as last read or chosen; its second byte goes back as read.
    TLoadState Load;

private:
    bool AskDateTime(QDateTime* value);
    void RunTransit(TAction& action, int mode);

    IServiceHost& Host;
    TDevice& Device;
};

extern const char* const kClearQuestionTitle;  // "Запрос на подтверждение"
extern const char* const kClearQuestion;       // "Вы уверены что хотите обнулить архивы энергии, мощности и срезов ?"
extern const char* const kUnknownExtModule;    // "Неизвестный модуль расширения"
extern const char* const kGsmModemPage;        // "GSM-модем"
