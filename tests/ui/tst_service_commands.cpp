// The main window's service commands run through their actions against
// zv301-sim processes and a scripted meter, with the dialogs answered in place
// of the user.
#include "app/datetime_dlg.h"
#include "app/led_config_dlg.h"
#include "app/load_control_dlg.h"
#include "app/service_commands.h"
#include "app/service_host.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "connection/crc.h"
#include "device/device.h"
#include "device/field_codecs.h"
#include "pages/action.h"
#include "support/fake_port.h"
#include "support/scripted_prompter.h"
#include "support/sim_process.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QtTest>
#include <memory>

namespace {

const char* const kDefaultPassword = "24681357";

QByteArray Bytes(std::initializer_list<int> values, const QByteArray& tail = QByteArray())
{
    QByteArray bytes;
    for (int v : values) bytes.append(char(v));
    return bytes + tail;
}

QByteArray Session(int level) { return Bytes({31, 0, level}, kDefaultPassword); }
const QByteArray kCloseSession = Bytes({32, 0, 0});
const QByteArray kReadVersion = Bytes({3, 20, 0, 0, 0});

QByteArray MeterTime(const QDateTime& value)
{
    uint8_t bytes[kDateTimeSize];
    EncodeDateTime(value, bytes);
    return QByteArray(reinterpret_cast<const char*>(bytes), kDateTimeSize);
}

// The window's part: exchanges run at once over an already open link and
// report their errors as the window does.
class TFakeHost : public IServiceHost {
public:
    int RunExchange(std::function<void()> operation) override
    {
        try {
            operation();
            return 0;
        } catch (const TError& e) {
            Prompter().ShowError(e.Message);
            return -1;
        }
    }
    QString MacroArg() const override { return Arg; }
    int ConnIndex() const override { return Index; }
    bool MacroRunning() const override { return Running; }
    int SelectPageByCaption(const QString& caption) override
    {
        Selected.append(caption);
        Prompter().ShowError(QStringLiteral("Закладка: '") + caption + QStringLiteral("' не найдена"));
        return -1;
    }
    TFrameBase* CurrentPage() const override { return nullptr; }
    QWidget* DialogParent() override { return nullptr; }
    void OpenExtModDialog(const QByteArray& record) override { ExtModRecords.append(record); }

    QString Arg;
    int Index = -1;
    bool Running = false;
    QStringList Selected;
    QList<QByteArray> ExtModRecords;
};

// The commands wired to their actions over one meter link; every request
// body sent is recorded.
struct TBench {
    TDevice Device;
    TFakeHost Host;
    TActionList Actions;
    TServiceCommands Commands{Host, Device};
    QList<QByteArray> Bodies;
    TFakePort* Port = nullptr;

    TBench()
    {
        for (const char* name : {"SyncTime", "SetTime", "NewParol", "ClearComercArh", "SetNetAdr", "SetBaudRate",
                                 "ConfigLED", "SetResursBattery", "ControlLoad", "SetExtMod", "SetStamp"})
            Actions.Add(QString::fromLatin1(name), QStringLiteral("Service"), QString::fromLatin1(name));
        Commands.Install(Actions);
        Commands.ExecDialog = [](QDialog&) { return int(QDialog::Rejected); };
        Device.Connection().SetTrace([this](bool outgoing, const QByteArray& frame) {
            if (outgoing) Bodies.append(frame.mid(1, frame.size() - 3));
        });
    }

    // A scripted meter: given a request body, the reply [cmd][param][status][data].
    void UseMeter(std::function<QByteArray(const QByteArray&)> logic)
    {
        auto port = std::make_unique<TFakePort>();
        Port = port.get();
        Port->Respond = [logic](const QByteArray& frame) {
            QByteArray reply = char(1) + logic(frame.mid(1, frame.size() - 3));
            const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(reply.constData()), size_t(reply.size()));
            return reply + char(crc >> 8) + char(crc & 0xFF);
        };
        Device.Connection().SetPort(std::move(port));
        Device.Connection().SetAddressing(1, 0, QString(), 0);
    }

    // Runs the action as a macro line does; returns its Tag.
    int RunByName(const QString& name, const QString& arg = QString())
    {
        Host.Arg = arg;
        TAction* action = Actions.FindAction(name);
        action->ExecuteByName();
        return action->Tag;
    }
    // Runs the action as the user's menu click does.
    int RunFromMenu(const QString& name)
    {
        TAction* action = Actions.FindAction(name);
        action->Tag = 0;
        action->trigger();
        return action->Tag;
    }
};

// A meter whose clock write without a session answers `refusal`, with this
// software version text.
QByteArray ClockMeter(const QByteArray& body, int refusal, const QByteArray& version)
{
    const QByteArray head = body.left(2);
    if (body == kReadVersion) return head + char(0) + version;
    if (body.startsWith(Bytes({16, 32, 0}))) return head + char(refusal);
    return head + char(0);
}

void ClickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2)); }

}  // namespace

class TestServiceCommands : public QObject {
    Q_OBJECT
    QTemporaryDir Home;

private Q_SLOTS:
    void initTestCase() { qputenv("VEXA_HOME", Home.path().toLocal8Bit()); }

    void setBaudRateKeepsTheOtherInterfaceBytes()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        const QByteArray before = bench.Device.Read(23).ToByteArray();
        QCOMPARE(before.size(), 6);
        bench.Bodies.clear();

        QCOMPARE(bench.RunByName(QStringLiteral("SetBaudRate"), QStringLiteral("19200")), 0);
        QCOMPARE(bench.Bodies, QList<QByteArray>({Bytes({3, 23, 0, 0, 0}), Session(1),
                                                  Bytes({16, 23, 0, 0x00, 0x4B}) + before.mid(2), kCloseSession}));
        QCOMPARE(bench.Device.Read(23).ToByteArray(), Bytes({0x00, 0x4B}) + before.mid(2));
        // Without an argument the rate goes back to 9600.
        QCOMPARE(bench.RunByName(QStringLiteral("SetBaudRate")), 0);
        QCOMPARE(bench.Device.Read(23).ToByteArray(), Bytes({0x80, 0x25}) + before.mid(2));
        QVERIFY(prompter.Errors.isEmpty());
    }

    void setNetAdrWithoutArgumentWritesLoopIndexPlusOne()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        bench.Host.Index = 2;
        QCOMPARE(bench.RunByName(QStringLiteral("SetNetAdr")), 0);
        QCOMPARE(bench.Bodies, QList<QByteArray>({Session(1), Bytes({16, 21, 0, 3}), kCloseSession}));
        // The meter answers at its new address only.
        bench.Device.Connect(sim.XPortConnection(QStringLiteral("[3]")));
        QCOMPARE(bench.Device.Read(21)[0], uint8_t(3));
        QVERIFY(prompter.Errors.isEmpty());
    }

    void setTimeFallsBackToSession_data()
    {
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("secondAnswer");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("error");
        QTest::newRow("accepted 3.02") << 0 << QByteArray("3.02") << true << 0 << QString();
        QTest::newRow("accepted 5.00") << 0 << QByteArray("5.00") << true << 8000 << QString();
        QTest::newRow("accepted 6.00") << 0 << QByteArray("6.00") << true << 0 << QString();
        QTest::newRow("refused 3, 5.12") << 3 << QByteArray("5.12") << true << 8000 << QString();
        QTest::newRow("refused 4, 5.99") << 4 << QByteArray("5.99") << true << 8000 << QString();
        QTest::newRow("refused 3, second dialog cancelled") << 3 << QByteArray("4.99") << false << 0 << QString();
        QTest::newRow("damaged block") << 5 << QByteArray("3.02") << true << 0 << QStringLiteral("Блок данных поврежден");
    }

    void setTimeFallsBackToSession()
    {
        QFETCH(int, refusal);
        QFETCH(QByteArray, version);
        QFETCH(bool, secondAnswer);
        QFETCH(int, timeout);
        QFETCH(QString, error);
        TScriptedPrompter prompter;
        TBench bench;
        bench.UseMeter([=](const QByteArray& body) { return ClockMeter(body, refusal, version); });
        const QDateTime first(QDate(2031, 5, 6), QTime(7, 8, 9));
        const QDateTime second(QDate(2032, 12, 31), QTime(23, 59, 58));
        QList<QDateTime> shown;
        bench.Commands.ExecDialog = [&](QDialog& dialog) {
            auto& clock = dynamic_cast<TDlgAnyDataTimeSet&>(dialog);
            shown.append(clock.Value());
            if (shown.size() == 2 && !secondAnswer) return int(QDialog::Rejected);
            const QDateTime answer = shown.size() == 1 ? first : second;
            clock.dtpDate->setDate(answer.date());
            clock.dtpTime->setTime(answer.time());
            QTest::mouseClick(clock.OKBtn, Qt::LeftButton);
            return clock.result();
        };

        QCOMPARE(bench.RunFromMenu(QStringLiteral("SetTime")), error.isEmpty() ? 0 : -1);
        QList<QByteArray> expected = {kReadVersion, Bytes({16, 32, 0}) + MeterTime(first)};
        QList<int> timeouts = {0, timeout};
        if (refusal == 3 || refusal == 4) {
            expected << Session(0);
            timeouts << 0;
            if (secondAnswer) {
                expected << Bytes({16, 32, 2}) + MeterTime(second);
                timeouts << timeout;
            }
            expected << kCloseSession;
            timeouts << 0;
            // The second dialog starts at the value asked for first.
            QCOMPARE(shown.value(1), first);
        }
        QCOMPARE(bench.Bodies, expected);
        QCOMPARE(bench.Port->ReceiveTimeouts, timeouts);
        QCOMPARE(prompter.Errors, error.isEmpty() ? QStringList() : QStringList{error});
    }

    void syncTimeWritesThePcClock()
    {
        TSimProcess sim({QStringLiteral("--version"), QStringLiteral("5.12")});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QCOMPARE(bench.RunByName(QStringLiteral("SyncTime")), 0);
        QCOMPARE(bench.Bodies.size(), 2);
        QVERIFY(bench.Bodies[1].startsWith(Bytes({16, 32, 0})));
        const QDateTime written = DecodeDateTime(reinterpret_cast<const uint8_t*>(bench.Bodies[1].constData() + 3));
        QVERIFY2(written >= before.addMSecs(-before.time().msec()) && written <= QDateTime::currentDateTime(),
                 qPrintable(written.toString(Qt::ISODate)));
        QVERIFY(prompter.Errors.isEmpty());
    }

    void configLedWritesModeOneBackAsZero()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        WriteLedConfig(bench.Device, {1, lfPminus | lfQplus});
        bench.Bodies.clear();
        QString shownFlags;
        bench.Commands.ExecDialog = [&](QDialog& dialog) {
            auto& led = dynamic_cast<TLedConfigDlg&>(dialog);
            for (QCheckBox* box : {led.cbPplus, led.cbPminus, led.cbQplus, led.cbQminus, led.cb16sec})
                shownFlags += box->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
            return int(QDialog::Accepted);
        };
        QCOMPARE(bench.RunFromMenu(QStringLiteral("ConfigLED")), 0);
        QCOMPARE(shownFlags, QStringLiteral("01100"));
        QCOMPARE(bench.Bodies.mid(1), QList<QByteArray>({Bytes({33, 1, 0}), Bytes({33, 1, 1, 0, 0x06})}));
        QCOMPARE(bench.Device.RequestShort(33, 1, 0).ToByteArray(), Bytes({0, 0x06}));
        QVERIFY(prompter.Errors.isEmpty());
    }

    void ledPeriodicSignalExcludesPowerOutputs()
    {
        TLedConfigDlg dialog;
        dialog.ShowConfig({2, lfPplus | lfQminus});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.GroupBox1->isVisible());
        QVERIFY(!dialog.rgMode->isVisible());
        QCOMPARE(dialog.height(), 280);
        QCOMPARE(dialog.OKBtn->y(), 210);
        ClickBox(dialog.cb16sec);
        QCOMPARE(int(dialog.Config().Flags), int(lf16sec));
        ClickBox(dialog.cbQplus);
        QCOMPARE(int(dialog.Config().Flags), int(lfQplus));
        QCOMPARE(int(dialog.Config().Mode), 2);
        // A mode the group has no item for goes back unchanged.
        dialog.ShowConfig({7, 0});
        QVERIFY(!dialog.rbMain->isChecked() && !dialog.rbVerify->isChecked());
        QCOMPARE(int(dialog.Config().Mode), 7);
    }

    void meterChecksRefuseBeforeAnyWrite_data()
    {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("LED on type 3") << QStringList{QStringLiteral("--type"), QStringLiteral("259")}
                                       << QStringLiteral("ConfigLED")
                                       << QString::fromUtf8(kLedNotConfigurable);
        QTest::newRow("load on type 3") << QStringList{QStringLiteral("--type"), QStringLiteral("259")}
                                        << QStringLiteral("ControlLoad")
                                        << QString::fromUtf8(kLoadNotControllable);
        QTest::newRow("load before 1.20")
            << QStringList{QStringLiteral("--type"), QStringLiteral("258"), QStringLiteral("--version"),
                           QStringLiteral("1.15")}
            << QStringLiteral("ControlLoad") << QString::fromUtf8(kLoadNeedsVersion120);
    }

    void meterChecksRefuseBeforeAnyWrite()
    {
        QFETCH(QStringList, switches);
        QFETCH(QString, action);
        QFETCH(QString, message);
        TSimProcess sim(switches);
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        int dialogs = 0;
        bench.Commands.ExecDialog = [&](QDialog&) { return ++dialogs, int(QDialog::Accepted); };
        QCOMPARE(bench.RunFromMenu(action), -1);
        QCOMPARE(prompter.Errors, QStringList{message});
        QCOMPARE(dialogs, 0);
        for (const QByteArray& body : bench.Bodies) QCOMPARE(int(uint8_t(body[0])), 3);
    }

    void controlLoadFromMacro_data()
    {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QByteArray>("write");
        QTest::addColumn<int>("state");
        QTest::newRow("off") << QStringList() << QStringLiteral("0") << Bytes({16, 67, 0, 0, 0}) << 0;
        QTest::newRow("not a number: on") << QStringList() << QStringLiteral("x") << Bytes({16, 67, 0, 1, 0}) << 1;
        QTest::newRow("write refused") << QStringList{QStringLiteral("--status"), QStringLiteral("67:5")}
                                       << QStringLiteral("0") << Bytes({16, 67, 0, 0, 0}) << -1;
    }

    void controlLoadFromMacro()
    {
        QFETCH(QStringList, switches);
        QFETCH(QString, arg);
        QFETCH(QByteArray, write);
        QFETCH(int, state);
        TSimProcess sim(switches + QStringList{QStringLiteral("--type"), QStringLiteral("258"),
                                               QStringLiteral("--version"), QStringLiteral("1.20")});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        bench.Host.Running = true;
        int dialogs = 0;
        bench.Commands.ExecDialog = [&](QDialog&) { return ++dialogs, int(QDialog::Accepted); };
        // A refused write leaves the macro going on, without a message.
        QCOMPARE(bench.RunByName(QStringLiteral("ControlLoad"), arg), 0);
        QCOMPARE(dialogs, 0);
        QVERIFY(prompter.Errors.isEmpty());
        QList<QByteArray> expected = {Session(0), write};
        if (state >= 0) {
            expected << kCloseSession;
            bench.Device.SkipEchoCheck();  // [3][67][0][0][0] answers a load that is off
            QCOMPARE(int(bench.Device.Read(67)[0]), state);
        }
        QCOMPARE(bench.Bodies.mid(0, expected.size()), expected);
    }

    // The second byte of parameter 67 goes back as the meter gave it; a
    // refused switch from the menu is reported.
    void controlLoadFromMenuKeepsSecondByte_data()
    {
        QTest::addColumn<int>("writeStatus");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("applied") << 0 << QStringList();
        QTest::newRow("refused") << 4 << QStringList{QStringLiteral("Несанкционированный доступ")};
    }

    void controlLoadFromMenuKeepsSecondByte()
    {
        QFETCH(int, writeStatus);
        QFETCH(QStringList, errors);
        TScriptedPrompter prompter;
        TBench bench;
        bench.UseMeter([=](const QByteArray& body) {
            const QByteArray head = body.left(2);
            if (body == Bytes({3, 0, 0, 0, 0})) return head + Bytes({0, 0x02, 0x01});
            if (body == kReadVersion) return head + char(0) + QByteArray("1.20");
            if (body == Bytes({3, 67, 0, 0, 0})) return head + Bytes({0, 1, 0x5A});
            if (body.startsWith(Bytes({16, 67}))) return head + char(writeStatus);
            return head + char(0);
        });
        bool shownOn = false;
        bench.Commands.ExecDialog = [&](QDialog& dialog) {
            auto& load = dynamic_cast<TLoadControl&>(dialog);
            shownOn = load.LoadOn();
            load.rbOff->click();
            load.ApplyBtn->click();
            return load.result();
        };
        QCOMPARE(bench.RunFromMenu(QStringLiteral("ControlLoad")), errors.isEmpty() ? 0 : -1);
        QVERIFY(shownOn);
        QList<QByteArray> expected = {Bytes({3, 0, 0, 0, 0}), kReadVersion, Bytes({3, 67, 0, 0, 0}), Session(0),
                                      Bytes({16, 67, 0, 0, 0x5A})};
        if (writeStatus == 0) expected << kCloseSession;
        QCOMPARE(bench.Bodies, expected);
        QCOMPARE(prompter.Errors, errors);
    }

    void setResursBattery_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("session");
        QTest::newRow("3.01 argument") << QStringLiteral("3.01") << QStringLiteral("4000000000")
                                       << Bytes({0x00, 0x28, 0x6B, 0xEE}) << true;
        QTest::newRow("3.02 settings file") << QStringLiteral("3.02") << QString() << Bytes({0xE8, 0x03, 0, 0})
                                            << false;
    }

    void setResursBattery()
    {
        QFETCH(QString, version);
        QFETCH(QString, arg);
        QFETCH(QByteArray, value);
        QFETCH(bool, session);
        TMyIniFile(Home.filePath(QStringLiteral("vexa.cfg")))
            .WriteInteger(QStringLiteral("config"), QStringLiteral("bat_resurs"), 1000);
        TSimProcess sim({QStringLiteral("--version"), version});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TBench bench;
        bench.Device.Connect(sim.XPortConnection());
        const uint8_t check = bench.Device.ReadCheckByte();
        bench.Bodies.clear();
        // The simulated meter takes the value only with the right check byte.
        QCOMPARE(bench.RunByName(QStringLiteral("SetResursBattery"), arg), 0);
        QList<QByteArray> expected = {kReadVersion, Bytes({3, 18, 0, 0, 0})};
        if (session) expected << Session(0);
        expected << Bytes({105, 0, check}) + value;
        if (session) expected << kCloseSession;
        QCOMPARE(bench.Bodies, expected);
        QVERIFY(prompter.Errors.isEmpty());
    }

    void setResursBatteryRefusesAValueThatIsNoNumber_data()
    {
        QTest::addColumn<QString>("arg");
        QTest::newRow("text") << QStringLiteral("12x");
        QTest::newRow("negative") << QStringLiteral("-1");
        QTest::newRow("above 32 bits") << QStringLiteral("4294967296");
    }

    void setResursBatteryRefusesAValueThatIsNoNumber()
    {
        QFETCH(QString, arg);
        TScriptedPrompter prompter;
        TBench bench;
        bench.UseMeter([](const QByteArray& body) { return body.left(2) + char(0); });
        QCOMPARE(bench.RunByName(QStringLiteral("SetResursBattery"), arg), -1);
        QCOMPARE(prompter.Errors, QStringList{QStringLiteral("Неправильно задано новое значение ресурса батареи")});
        QVERIFY(bench.Bodies.isEmpty());
    }

    void setExtModByModuleKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("dialog");
        const QStringList unknown{QStringLiteral("Неизвестный модуль расширения")};
        QTest::newRow("none") << 0 << 0 << unknown << QStringList() << false;
        QTest::newRow("6") << 6 << 0 << unknown << QStringList() << false;
        QTest::newRow("GSM") << 2 << -1 << QStringList() << QStringList{QStringLiteral("GSM-модем")} << false;
        QTest::newRow("Ethernet") << 3 << 0 << QStringList() << QStringList() << true;
    }

    void setExtModByModuleKind()
    {
        QFETCH(int, kind);
        QFETCH(int, tag);
        QFETCH(QStringList, warnings);
        QFETCH(QStringList, selected);
        QFETCH(bool, dialog);
        TScriptedPrompter prompter;
        TBench bench;
        const QByteArray record = QByteArray("MOD3-ETH") + QByteArray(4, 0) + char(kind) + char(kind);
        bench.UseMeter([=](const QByteArray& body) { return body.left(2) + char(0) + record + "tail"; });
        QCOMPARE(bench.RunFromMenu(QStringLiteral("SetExtMod")), tag);
        QCOMPARE(bench.Bodies, QList<QByteArray>{Bytes({3, 68, 0, 0, 0})});
        QCOMPARE(prompter.Warnings, warnings);
        QCOMPARE(bench.Host.Selected, selected);
        QCOMPARE(bench.Host.ExtModRecords, dialog ? QList<QByteArray>{record} : QList<QByteArray>());
    }

    void clearComercArhAsksOnlyFromTheMenu()
    {
        TScriptedPrompter prompter;
        TBench bench;
        bench.UseMeter([](const QByteArray& body) { return body; });  // [30][op][0] confirms
        prompter.ConfirmAnswers << false;
        bench.RunFromMenu(QStringLiteral("ClearComercArh"));
        QCOMPARE(prompter.Questions,
                 QStringList{QStringLiteral(
                     "Запрос на подтверждение|Вы уверены что хотите обнулить архивы энергии, мощности и срезов ?")});
        QVERIFY(bench.Bodies.isEmpty());
        QCOMPARE(bench.RunByName(QStringLiteral("ClearComercArh")), 0);
        QCOMPARE(prompter.Questions.size(), 1);
        QCOMPARE(bench.Bodies.size(), 6);
    }
};

QTEST_MAIN(TestServiceCommands)
#include "tst_service_commands.moc"
