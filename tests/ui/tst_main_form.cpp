// The main window offscreen: what start-up shows, the guarded exchange and
// its result, polling delays, the countdown of a held modem line, the
// statistics box, the network address field, adding a connection and the
// meter identity read. Meters are zv301-sim processes.
#include "app/connection_list.h"
#include "app/main_form.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"
#include "connection/modem.h"
#include "device/device.h"
#include "pages/action.h"
#include "pages/frame_base.h"
#include "support/scripted_prompter.h"
#include "support/sim_process.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

QString StatisticsText(const TLinkStatistics& s);  // the statistics box text

namespace {

const QString kCommon = QStringLiteral("common");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The texts of the visible items of a menu and its submenus.
QStringList VisibleItems(const QMenu* menu)
{
    QStringList items;
    for (QAction* item : menu->actions()) {
        if (!item->isVisible() || item->isSeparator()) continue;
        items << item->text();
        if (item->menu()) items << VisibleItems(item->menu());
    }
    return items;
}

QMenu* MenuTitled(const QMainWindow& window, const QString& title)
{
    for (QAction* item : window.menuBar()->actions())
        if (item->text() == title) return item->menu();
    return nullptr;
}

// A TCP port nobody listens on.
int ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    const int port = server.serverPort();
    server.close();
    return port;
}

QString XPortLine(int port) { return QStringLiteral("Сим=XPort[1](127.0.0.1,%1,2000,0,3000,0,0)").arg(port); }

// One second of the connection timer.
void Tick(TMainForm& form)
{
    QVERIFY(QMetaObject::invokeMethod(form.findChild<QTimer*>(QStringLiteral("ConnectTimer")), "timeout"));
}

QString Panel(TMainForm& form, int index)
{
    return form.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(index))->text();
}

}  // namespace

class TestMainForm : public QObject {
    Q_OBJECT
    QTemporaryDir Home;                   // VEXA_HOME: the settings file
    std::unique_ptr<QTemporaryDir> Work;  // the working folder: connection.cfg, macros

    QString Settings() const { return Home.filePath(QStringLiteral("vexa.cfg")); }
    QString ConnectionFile() const { return Work->filePath(QStringLiteral("connection.cfg")); }

private Q_SLOTS:
    void initTestCase() { qputenv("VEXA_HOME", Home.path().toLocal8Bit()); }

    void init()
    {
        Work = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(Work->path());
        TConnectionList::SetFolder(Work->path());
        QFile::remove(Settings());
        TheDevice().ResetStatistics();
    }

    void cleanup() { QDir::setCurrent(Home.path()); }

    void startsWithDefaultConnectionAndPages()
    {
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        QCOMPARE(form.windowTitle(), QString("Сервис для электросчетчика "));
        const auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl"));
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i) tabs << pages->tabText(i);
        QCOMPARE(tabs, QStringList({"Конфигурация"}));
        QVERIFY(form.CurrentPage());
        QCOMPARE(form.CurrentPage()->parentWidget(), pages->widget(0));

        const auto* box = form.findChild<QComboBox*>(QStringLiteral("cbConnection"));
        QCOMPARE(box->count(), 1);
        QCOMPARE(box->currentText(), QString("Opto(1)"));
        QCOMPARE(form.ConnectionText(), QString("Opto(1)"));
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("eNetAdr"))->text(), QString("0"));
        QVERIFY(!form.Actions().FindAction(QStringLiteral("DeleteConnection"))->isEnabled());
        // The default is written only by a later change of the list.
        QVERIFY(!QFile::exists(ConnectionFile()));
        QCOMPARE(prompter.Errors, QStringList());
    }

    void restrictedActions_data()
    {
        QTest::addColumn<int>("setting");  // show_restricted; -1: absent
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("serviceMenu");
        const QStringList all = {"Синхронизация времени",      "Установка даты и времени...",
                                 "Конфигурация модуля расширения...", "Новый пароль...",
                                 "Обнуление счетчика",         "Конфигурация светодиода...",
                                 "Управление нагрузкой"};
        QTest::newRow("hidden by default") << -1 << false << QStringList({"Синхронизация времени"});
        QTest::newRow("show_restricted=0") << 0 << false << QStringList({"Синхронизация времени"});
        QTest::newRow("show_restricted=1") << 1 << true << all;
    }

    void restrictedActions()
    {
        QFETCH(int, setting);
        QFETCH(bool, shown);
        QFETCH(QStringList, serviceMenu);
        if (setting >= 0) TMyIniFile(Settings()).WriteInteger(kCommon, QStringLiteral("show_restricted"), setting);
        const int port = ClosedPort();
        WriteAll(ConnectionFile(), XPortLine(port).toUtf8() + "\r\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};

        QStringList items;
        for (QAction* menu : form.menuBar()->actions())
            if (menu->isVisible()) items << VisibleItems(menu->menu());
        const QStringList restrictedItems = {"Запись", "Новый пароль...", "Конфигурация светодиода...",
                                             "Управление нагрузкой", "Установка даты и времени...",
                                             "Конфигурация модуля расширения...", "Обнуление счетчика"};
        for (const QString& item : restrictedItems) QVERIFY2(items.contains(item) == shown, qPrintable(item));
        QCOMPARE(VisibleItems(MenuTitled(form, QStringLiteral("Сервис"))), serviceMenu);
        QCOMPARE(form.findChild<QToolButton*>(QStringLiteral("sbWrite"))->isHidden(), !shown);
        for (const char* name : {"Write", "NewParol", "ConfigLED", "ControlLoad", "SetTime", "SetExtMod",
                                 "ClearComercArh"})
            QCOMPARE(form.Actions().FindAction(QString::fromLatin1(name))->isVisible(), shown);
        // Macros still run them: each tries its exchange and reports the link.
        const QString linkError = QStringLiteral("Нет соединения TCP: 127.0.0.1:%1").arg(port);
        for (const char* name : {"Write", "NewParol", "ClearComercArh"})
            QVERIFY2(!ExecuteActionByName(QString::fromLatin1(name)), name);
        QCOMPARE(prompter.Errors, QStringList({linkError, linkError, linkError}));
    }

    void macroMenu_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("no macro files") << QStringList({"notes.txt"}) << QStringList();
        // Captions end at the first dot and show "&" as it is.
        QTest::newRow("one item per file")
            << QStringList({"b.vxm", "A&B.vxm", "c.d.vxm", "notes.txt"}) << QStringList({"A&&B", "b", "c"});
    }

    void macroMenu()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, items);
        for (const QString& file : files) WriteAll(Work->filePath(file), "Read\r\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        const QMenu* menu = MenuTitled(form, QStringLiteral("Макрокоманды"));
        QCOMPARE(menu->menuAction()->isVisible(), !items.isEmpty());
        QStringList texts;
        for (QAction* item : menu->actions()) texts << item->text();
        QCOMPARE(texts, items);
    }

    void readResultInTag_data()
    {
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("error");  // %1: the port
        QTest::newRow("simulator") << true << 0 << QString();
        QTest::newRow("nobody listens") << false << -1 << QStringLiteral("Нет соединения TCP: 127.0.0.1:%1");
    }

    void readResultInTag()
    {
        QFETCH(bool, reachable);
        QFETCH(int, tag);
        QFETCH(QString, error);
        std::unique_ptr<TSimProcess> sim;
        int port = 0;
        if (reachable) {
            sim = std::make_unique<TSimProcess>();
            QVERIFY2(sim->Started(), qPrintable(sim->Error()));
            port = sim->TcpPort;
        } else {
            port = ClosedPort();
        }
        WriteAll(ConnectionFile(), XPortLine(port).toUtf8() + "\r\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};

        TAction* read = form.Actions().FindAction(QStringLiteral("Read"));
        read->Tag = 5;
        read->trigger();
        QCOMPARE(read->Tag, tag);
        QCOMPARE(prompter.Errors, error.isEmpty() ? QStringList() : QStringList({error.arg(port)}));
        QCOMPARE(TheDevice().GetStatistics().Good > 0, reachable);
        QCOMPARE(form.HoldSeconds, 0);
        QCOMPARE(form.Actions().Busy, 0);
        QVERIFY(form.findChild<QTimer*>(QStringLiteral("ConnectTimer"))->isActive());
    }

    void exchangeSwallowsActionsAndReportsPageError()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        WriteAll(ConnectionFile(), XPortLine(sim.TcpPort).toUtf8() + "\r\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        TAction* read = form.Actions().FindAction(QStringLiteral("Read"));
        read->Tag = 5;
        int busyInside = -1;
        const int result = form.RunExchange([&] {
            busyInside = form.Actions().Busy;
            read->trigger();  // swallowed: no exchange nests inside this one
            throw TError(QStringLiteral("Сбой страницы"));
        });
        QCOMPARE(result, -1);
        QCOMPARE(busyInside, 1);
        QCOMPARE(read->Tag, 5);
        QCOMPARE(form.Actions().Busy, 0);
        QCOMPARE(prompter.Errors, QStringList({"Сбой страницы"}));
    }

    void autoDelayMarkOnRelease_data()
    {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<QString>("marked");
        QTest::newRow("7 s") << 7000 << QStringLiteral("7 с");
        QTest::newRow("7.5 s counts whole seconds") << 7500 << QStringLiteral("7 с");
        QTest::newRow("11 s has no item") << 11000 << QStringLiteral("4 с");
    }

    void autoDelayMarkOnRelease()
    {
        QFETCH(int, intervalMs);
        QFETCH(QString, marked);
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        TAction* autoAction = form.Actions().FindAction(QStringLiteral("Auto"));
        autoAction->setEnabled(true);  // the configuration page does not poll
        auto* menu = form.findChild<QMenu*>(QStringLiteral("AutoPopupMenu"));
        const auto* sbAuto = form.findChild<QToolButton*>(QStringLiteral("sbAuto"));
        auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer"));
        form.findChild<QAction*>(QStringLiteral("AutoDelay2"))->trigger();
        QCOMPARE(timer->interval(), 2000);
        timer->setInterval(intervalMs);

        autoAction->trigger();  // down
        QVERIFY(timer->isActive());
        QCOMPARE(sbAuto->menu(), nullptr);
        autoAction->trigger();  // up
        QVERIFY(!timer->isActive());
        QCOMPARE(sbAuto->menu(), menu);
        QStringList checked;
        for (QAction* item : menu->actions())
            if (item->isChecked()) checked << item->text();
        QCOMPARE(checked, QStringList({marked}));
    }

    void heldModemLineCountsDownAndDrops()
    {
        TSimProcess sim({QStringLiteral("--modem")}, true);
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TMyIniFile(Settings()).WriteString(QStringLiteral("ports"), QStringLiteral("COM8"), sim.PtyPath);
        // Idle time left at its default of 30 s; carrier taken from the modem's state.
        WriteAll(ConnectionFile(), "Дача=Модем[1](T5551234,8,,20,,9600,0)\r\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        auto* connectTimer = form.findChild<QTimer*>(QStringLiteral("ConnectTimer"));
        connectTimer->stop();  // the seconds are ticked here
        const auto* sbConnect = form.findChild<QToolButton*>(QStringLiteral("sbConnect"));
        const auto* sbDisconnect = form.findChild<QToolButton*>(QStringLiteral("sbDisconnect"));
        Tick(form);
        QVERIFY(sbConnect->isEnabled());
        QVERIFY(!sbDisconnect->isEnabled());

        TAction* read = form.Actions().FindAction(QStringLiteral("Read"));
        read->trigger();
        QCOMPARE(read->Tag, 0);
        QCOMPARE(prompter.Errors, QStringList());
        QCOMPARE(form.HoldSeconds, 30);
        connectTimer->stop();
        const auto* modem = dynamic_cast<const TModem*>(&TheDevice().Connection().GetPort());
        QVERIFY(modem);

        Tick(form);
        QCOMPARE(Panel(form, 3), QString("До разрыва связи осталось 29 с"));
        QVERIFY(sbDisconnect->isEnabled());
        QVERIFY(!sbConnect->isEnabled());
        for (int i = 0; i < 28; ++i) Tick(form);
        QCOMPARE(Panel(form, 3), QString("До разрыва связи осталось 1 с"));
        QCOMPARE(modem->State(), TModem::msOnline);

        Tick(form);  // the thirtieth
        QCOMPARE(form.HoldSeconds, 0);
        QCOMPARE(modem->State(), TModem::msLineDown);
        QCOMPARE(Panel(form, 3), QString());
        QVERIFY(!sbDisconnect->isEnabled());
        QVERIFY(sbConnect->isEnabled());

        // The buttons: a second that passes while the line is hung up must not
        // count down or offer the line that is being dropped.
        form.findChild<QToolButton*>(QStringLiteral("sbConnect"))->click();
        QCOMPARE(form.HoldSeconds, 30);
        Tick(form);
        QVERIFY(sbDisconnect->isEnabled());
        int ticksInside = 0;
        SetEventPump([&] {
            if (ticksInside++ == 0) Tick(form);
        });
        form.findChild<QToolButton*>(QStringLiteral("sbDisconnect"))->click();
        SetEventPump(nullptr);
        QVERIFY(ticksInside > 0);
        QCOMPARE(form.HoldSeconds, 0);
        QCOMPARE(modem->State(), TModem::msLineDown);
        QVERIFY(!sbDisconnect->isEnabled());
        QCOMPARE(prompter.Errors, QStringList());
    }

    void statisticsComputedValues_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("errors");
        QTest::addColumn<QString>("speed");
        QTest::newRow("C") << QLocale::c() << QStringLiteral("33.33") << QStringLiteral("12345.50");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << QStringLiteral("33,33")
                                 << QStringLiteral("12345,50");
    }

    // Thousands are never grouped: a fast TCP/IP link must not read as "12,345.50".
    void statisticsComputedValues()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, errors);
        QFETCH(QString, speed);
        TLinkStatistics s;
        s.Total = 3;
        s.Good = 2;
        s.BytesSent = 20000;
        s.BytesReceived = 4691;
        s.FirstTime = QDateTime(QDate(2024, 1, 1), QTime(10, 0, 0));
        s.LastTime = s.FirstTime.addSecs(2);
        const QLocale previous;
        QLocale::setDefault(locale);
        const QString text = StatisticsText(s);
        QLocale::setDefault(previous);
        QVERIFY2(text.contains(QStringLiteral("\n% транзакций с ошибками:\t\t") + errors +
                               QStringLiteral("\nСредняя скорость обмена(байт/с):\t") + speed +
                               QStringLiteral("\n\nОбнулить")),
                 qPrintable(text));
    }

    void statisticsWithoutTransactions_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("zero");
        QTest::newRow("C") << QLocale::c() << QStringLiteral("0.00");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << QStringLiteral("0,00");
    }

    void statisticsWithoutTransactions()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, zero);
        const QLocale previous;
        QLocale::setDefault(locale);
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        QTest::mousePress(form.findChild<QLabel*>(QStringLiteral("lbConnect")), Qt::RightButton, Qt::ControlModifier);
        QLocale::setDefault(previous);
        const QString text = QStringLiteral(
            "\n\nОбщее количество транзакций:\t0\nТранзакции без ошибок:\t\t0\nТранзакции с ошибкой передачи:\t0"
            "\nТранзакции с ошибкой приема:\t0\nТранзакции с ошибкой CRC:\t\t0\nТранзакции с эхом:\t\t\t0"
            "\nКоличество переданных байт:\t0\nКоличество принятых байт:\t\t0\n% транзакций с ошибками:\t\t%1"
            "\nСредняя скорость обмена(байт/с):\t%1\n\nОбнулить счетчики ?").arg(zero);
        // The title begins with a Latin capital C.
        QCOMPARE(prompter.Questions, QStringList({QStringLiteral("Cтатистика обмена|") + text}));
    }

    void netAddressField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("file");
        // The list file starts as "A=RS485[5](2)\n": a rewrite ends its line with CR LF.
        QTest::newRow("300 becomes 0") << "300" << "0" << "A=RS485[0](2)" << QByteArray("A=RS485[0](2)\r\n");
        QTest::newRow("same address writes nothing") << "5" << "5" << "A=RS485[5](2)" << QByteArray("A=RS485[5](2)\n");
        QTest::newRow("letters are dropped") << "1x2" << "12" << "A=RS485[12](2)" << QByteArray("A=RS485[12](2)\r\n");
    }

    void netAddressField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, line);
        QFETCH(QByteArray, file);
        WriteAll(ConnectionFile(), "A=RS485[5](2)\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        auto* field = form.findChild<QLineEdit*>(QStringLiteral("eNetAdr"));
        QCOMPARE(field->text(), QString("5"));
        field->selectAll();
        QTest::keyClicks(field, typed);
        QCOMPARE(field->text(), shown);
        QCOMPARE(ReadAll(ConnectionFile()), file);
        QCOMPARE(form.ConnectionText(), line);
        QCOMPARE(prompter.Errors, QStringList());
    }

    void addConnectionProposesFreeName_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<int>("index");
        QTest::newRow("gap at 2") << QByteArray("Подключение_3=Opto(1)\r\nПодключение_1=RS485[5](2)\r\n")
                                  << QStringLiteral("Подключение_2=RS485[5](2)")
                                  << QByteArray("Б=RS485[7](3)\r\nПодключение_1=RS485[5](2)\r\nПодключение_3=Opto(1)\r\n")
                                  << 0;
        QTest::newRow("line without name") << QByteArray("RS485[5](2)\r\n")
                                           << QStringLiteral("Подключение_1=RS485[5](2)")
                                           << QByteArray("RS485[5](2)\r\nБ=RS485[7](3)\r\n") << 1;
        QTest::newRow("names are case-sensitive") << QByteArray("подключение_1=Opto(1)\r\n")
                                                  << QStringLiteral("Подключение_1=Opto(1)")
                                                  << QByteArray("Б=RS485[7](3)\r\nподключение_1=Opto(1)\r\n") << 0;
    }

    void addConnectionProposesFreeName()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, initial);
        QFETCH(QByteArray, saved);
        QFETCH(int, index);
        WriteAll(ConnectionFile(), lines);
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        QStringList dialogs;
        form.ConnectionDialog = [&](const QString& caption, const QString& line) {
            dialogs << caption + QLatin1Char('|') + line;
            return QStringLiteral("Б=RS485[7](3)");
        };
        form.Actions().FindAction(QStringLiteral("AddConnection"))->trigger();
        QCOMPARE(dialogs, QStringList({QStringLiteral("Добавление нового подключения|") + initial}));
        QCOMPARE(ReadAll(ConnectionFile()), saved);
        QCOMPARE(form.ConnectionText(), QString("Б=RS485[7](3)"));
        QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("eNetAdr"))->text(), QString("7"));
        QCOMPARE(TMyIniFile(Settings()).ReadInteger(kCommon, QStringLiteral("cur_connection"), -1), index);
        QVERIFY(form.Actions().FindAction(QStringLiteral("DeleteConnection"))->isEnabled());
        QCOMPARE(prompter.Errors, QStringList());
    }

    void readHashClearsIdentityFirst_data()
    {
        QTest::addColumn<QStringList>("simSwitches");  // empty: nobody listens
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<QByteArray>("user");
        QTest::newRow("meter") << QStringList({"--type", "263"}) << true << QByteArray("ZV-301-263      ")
                               << QByteArray("0000012345") << QByteArray("00000000");
        QTest::newRow("serial number refused") << QStringList({"--status", "18:2"}) << false
                                               << QByteArray("ZV-301-258      ") << QByteArray() << QByteArray();
        QTest::newRow("nobody listens") << QStringList() << false << QByteArray() << QByteArray() << QByteArray();
    }

    void readHashClearsIdentityFirst()
    {
        QFETCH(QStringList, simSwitches);
        QFETCH(bool, result);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, serial);
        QFETCH(QByteArray, user);
        std::unique_ptr<TSimProcess> sim;
        int port = ClosedPort();
        if (!simSwitches.isEmpty()) {
            sim = std::make_unique<TSimProcess>(simSwitches);
            QVERIFY2(sim->Started(), qPrintable(sim->Error()));
            port = sim->TcpPort;
        }
        WriteAll(ConnectionFile(), XPortLine(port).toUtf8() + "\r\n");
        TScriptedPrompter prompter;
        TMainForm form{QString()};
        // What an earlier meter left.
        MeterTypeText = "ZV-301-OTHER    ";
        SerialNumberText = "0000099999";
        UserNumberText = "OLDUSER1";
        QCOMPARE(ExecuteActionByName(QStringLiteral("ReadHash")), result);
        QCOMPARE(MeterTypeText, type);
        QCOMPARE(SerialNumberText, serial);
        QCOMPARE(UserNumberText, user);
        QCOMPARE(prompter.Errors, QStringList());  // silent
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"
