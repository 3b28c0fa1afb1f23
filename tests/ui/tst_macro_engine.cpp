#include "app/for_connection_form.h"
#include "app/macro_engine.h"
#include "app/macro_host.h"
#include "pages/action.h"
#include "pages/frame_base.h"
#include "support/scripted_prompter.h"

#include <QtTest>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <memory>
#include <utility>

namespace {

// The main window as the engine sees it: a connection list, the flag and the
// Escape key, which arrives when events are processed.
class TFakeHost : public IMacroHost {
public:
    bool ExecuteAction(const QString& name) override { return ExecuteActionByName(name); }
    QStringList Connections() const override { return Items; }
    void SetConnections(const QStringList& items) override { Items = items; }
    int SelectedConnection() const override { return Selected; }
    void SelectConnection(int index) override { Selected = index >= 0 && index < Items.size() ? index : -1; }
    void SetMacroRunning(bool running) override
    {
        MacroRunning = running;
        ++MacroRunningChanges;
    }
    void ProcessEvents() override
    {
        if (EscapeAfter > 0 && --EscapeAfter == 0) StopRequest = true;
    }
    bool TakeStopRequest() override { return std::exchange(StopRequest, false); }

    QString Current() const { return Selected >= 0 ? Items[Selected] : QStringLiteral("-"); }

    QStringList Items;
    int Selected = -1;
    bool MacroRunning = false;
    int MacroRunningChanges = 0;
    bool StopRequest = false;
    int EscapeAfter = 0;  // Escape arrives with the n-th event processing from now
};

class TScriptedForm : public TForConnectionForm {
public:
    bool Execute() override
    {
        ++Shown;
        return Answer ? Answer(*this) : true;
    }
    std::function<bool(TForConnectionForm&)> Answer;
    int Shown = 0;
};

class TTestEngine : public TMacroEngine {
public:
    using TMacroEngine::TMacroEngine;
    QList<int> Waits;
    bool RealWait = false;
    TScriptedForm* LoopForm = nullptr;

protected:
    std::unique_ptr<TForConnectionForm> NewForConnectionForm() override
    {
        auto form = std::make_unique<TScriptedForm>();
        LoopForm = form.get();
        return form;
    }
    void Wait(int milliseconds) override
    {
        Waits << milliseconds;
        if (RealWait) TMacroEngine::Wait(milliseconds);
    }
};

const QStringList kSaved = {"A=Opto(1)", "B=Opto(2)", "C=Opto(3)"};

}  // namespace

class TestMacroEngine : public QObject {
    Q_OBJECT
private:
    QTemporaryDir Home;
    QTemporaryDir* Folder = nullptr;
    TActionList* Actions = nullptr;
    TFakeHost* Host = nullptr;
    TTestEngine* Engine = nullptr;
    TScriptedPrompter* Prompts = nullptr;
    QStringList Log;
    QList<bool> RunningSeen;
    int Reads = 0;
    int FailAtRead = 0;

    void WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    bool Run(const QStringList& lines)
    {
        WriteFile("m.vxm", lines.join("\r\n").toUtf8());
        return Engine->RunMacro("m.vxm");
    }
    void Add(const char* name, std::function<void(TAction&)> handler)
    {
        Actions->Add(QString::fromUtf8(name), "Special", QString::fromUtf8(name), std::move(handler));
    }
    void LogCommand(const QString& name)
    {
        const QString arg = Engine->Context().Arg;
        Log << name + (arg.isEmpty() ? QString() : "(" + arg + ")") + "@" + Host->Current();
    }
    void VerifyRestored()
    {
        QCOMPARE(Host->Items, kSaved);
        QCOMPARE(Host->Selected, 1);
        QVERIFY(!Host->MacroRunning);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Home.isValid());
        qputenv("VEXA_HOME", Home.path().toUtf8());
    }

    void init()
    {
        QFile::remove(Home.filePath("vexa.cfg"));
        Folder = new QTemporaryDir;
        QVERIFY(QDir::setCurrent(Folder->path()));
        Log.clear();
        RunningSeen.clear();
        Reads = 0;
        FailAtRead = 0;
        Prompts = new TScriptedPrompter;
        Host = new TFakeHost;
        Host->Items = kSaved;
        Host->Selected = 1;
        Engine = new TTestEngine(*Host);
        Actions = new TActionList;
        TFrameBase::SetActionList(Actions);
        Add("Read", [this](TAction& a) {
            LogCommand("Read");
            RunningSeen << Host->MacroRunning;
            if (++Reads == FailAtRead) a.Tag = -1;
        });
        Add("SelectPage", [this](TAction&) { LogCommand("SelectPage"); });
        Add("SaveToFile", [this](TAction&) { LogCommand("SaveToFile"); });
        Add("Fail", [this](TAction& a) { Log << "Fail"; a.Tag = -1; });
        Add("Escape", [this](TAction&) { Host->EscapeAfter = 1; });
        Add("Nested", [this](TAction&) { Log << (Engine->RunMacro("inner.vxm") ? "nested=true" : "nested=false"); });
        Add("ForConnection", [this](TAction&) { Engine->ForConnection(); });
        Add("NextConnection", [this](TAction&) { Engine->NextConnection(); });
        Add("Repeat", [this](TAction&) { Engine->Repeat(); });
        Add("Pause", [this](TAction&) { Engine->Pause(); });
    }

    void cleanup()
    {
        TFrameBase::SetActionList(nullptr);
        delete Actions;
        delete Engine;
        delete Host;
        delete Prompts;
        QDir::setCurrent(Home.path());
        delete Folder;
    }

    void loopsOverSavedConnections()
    {
        QVERIFY(Run({"ForConnection", "SelectPage(Энергия)", "Read", "SaveToFile(e.txt)", "NextConnection"}));
        QStringList expected;
        for (const QString& c : kSaved)
            expected << "SelectPage(Энергия)@" + c << "Read@" + c << "SaveToFile(e.txt)@" + c;
        QCOMPARE(Log, expected);
        QCOMPARE(RunningSeen, QList<bool>({true, true, true}));
        QCOMPARE(Host->MacroRunningChanges, 2);
        QCOMPARE(Prompts->Errors, QStringList());
        VerifyRestored();
    }

    void generatesConnections_data()
    {
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QStringList>("visited");
        QTest::addColumn<QString>("error");
        const QString argError = "Ошибка в аргументе команды 'ForConnection': ";
        const QString hint = " (допускаются не более двух преобразований %d, %i, %u, %x)";
        const QString patternError = "Ошибка в шаблоне команды 'ForConnection': ";
        QTest::newRow("ascending") << "X%d;1;3" << QStringList{"X1", "X2", "X3"} << "";
        QTest::newRow("sorted as text") << "X%d;8;10" << QStringList{"X10", "X8", "X9"} << "";
        QTest::newRow("blanks around items") << " X%d ; 2 ;\t3" << QStringList{"X2", "X3"} << "";
        QTest::newRow("one item, not formatted") << "Y%s" << QStringList{"Y%s"} << "";
        QTest::newRow("two conversions") << "A%03d-%x;9;10" << QStringList{"A009-9", "A010-a"} << "";
        QTest::newRow("flags and width") << "%-4d|%+d;7;7" << QStringList{"7   |+7"} << "";
        QTest::newRow("alternate and precision") << "%#x|%.4i;26;26" << QStringList{"0x1a|0026"} << "";
        QTest::newRow("upper hex, width") << "%5X;255;255" << QStringList{"   FF"} << "";
        QTest::newRow("percent sign") << "%%%d;5;5" << QStringList{"%5"} << "";
        QTest::newRow("negative numbers") << "X%d;-2;-1" << QStringList{"X-1", "X-2"} << "";
        QTest::newRow("top of the integers") << "X%d;2147483646;2147483647"
                                             << QStringList{"X2147483646", "X2147483647"} << "";
        QTest::newRow("unsigned of negative") << "%u|%x;-1;-1" << QStringList{"4294967295|ffffffff"} << "";
        QTest::newRow("quoted blank and quote") << "\"Q \"\"%d\"\"\";5;5" << QStringList{"Q \"5\""} << "";
        QStringList widest;
        for (int n = 0; n <= 255; ++n) widest << QString::number(n);
        widest.sort();
        QTest::newRow("widest span") << "%d;0;255" << widest << "";
        QTest::newRow("reversed range") << "X%d;3;1" << QStringList{} << argError + "X%d;3;1";
        QTest::newRow("blank splits") << "a b;1;2" << QStringList{} << argError + "a b;1;2";
        QTest::newRow("two items") << "X%d;1" << QStringList{} << argError + "X%d;1";
        QTest::newRow("empty items") << ";" << QStringList{} << argError + ";";
        QTest::newRow("span of 256") << "X%d;0;256" << QStringList{} << argError + "X%d;0;256";
        QTest::newRow("span overflow") << "X%d;-2147483648;2147483647" << QStringList{}
                                       << argError + "X%d;-2147483648;2147483647";
        QTest::newRow("not an integer") << "X%d;1;z" << QStringList{} << "'z' не является целым числом";
        QTest::newRow("string conversion") << "X%s;1;2" << QStringList{} << patternError + "X%s" + hint;
        QTest::newRow("store conversion") << "%n%n%n;1;2" << QStringList{} << patternError + "%n%n%n" + hint;
        QTest::newRow("three conversions") << "%d%d%d;1;1" << QStringList{} << patternError + "%d%d%d" + hint;
        QTest::newRow("length modifier") << "X%ld;1;2" << QStringList{} << patternError + "X%ld" + hint;
        QTest::newRow("width from argument") << "X%*d;1;2" << QStringList{} << patternError + "X%*d" + hint;
        QTest::newRow("trailing percent") << "X%;1;2" << QStringList{} << patternError + "X%" + hint;
        QTest::newRow("huge width") << "X%999999999d;1;1" << QStringList{} << patternError + "X%999999999d" + hint;
    }
    void generatesConnections()
    {
        QFETCH(QString, arg);
        QFETCH(QStringList, visited);
        QFETCH(QString, error);
        const bool finished = Run({"ForConnection(" + arg + ")", "Read", "NextConnection"});
        QCOMPARE(finished, error.isEmpty());
        QCOMPARE(Prompts->Errors, error.isEmpty() ? QStringList() : QStringList{error});
        QStringList expected;
        for (const QString& c : visited) expected << "Read@" + c;
        QCOMPARE(Log, expected);
        VerifyRestored();
    }

    void asksForTheRange()
    {
        WriteFile(Home.filePath("vexa.cfg"), "[common]\r\nforconnection_request=1\r\n");
        const QStringList macro = {"ForConnection(X%d;1;3)", "Read", "NextConnection"};

        // The user unticks the second number.
        QVERIFY(Run(macro));
        TScriptedForm* form = Engine->LoopForm;
        QVERIFY(form);
        QCOMPARE(form->Shown, 1);
        QCOMPARE(form->Pattern(), QString("X%d;1;3"));
        QCOMPARE(Log, QStringList({"Read@X1", "Read@X2", "Read@X3"}));
        form->Answer = [](TForConnectionForm& f) {
            f.clbNumber->item(1)->setCheckState(Qt::Unchecked);
            return true;
        };
        Log.clear();
        QVERIFY(Run(macro));
        QCOMPARE(Log, QStringList({"Read@X1", "Read@X3"}));

        // Same pattern again: the dialog keeps the user's ticks.
        form->Answer = nullptr;
        Log.clear();
        QVERIFY(Run(macro));
        QCOMPARE(Log, QStringList({"Read@X1", "Read@X3"}));

        // A range turned round in the dialog counts down from "От".
        form->Answer = [](TForConnectionForm& f) {
            f.OtUpDown->setValue(3);
            f.DoUpDown->setValue(1);
            f.Fill();
            f.clbNumber->item(0)->setCheckState(Qt::Unchecked);
            return true;
        };
        Log.clear();
        QVERIFY(Run(macro));
        QCOMPARE(Log, QStringList({"Read@X1", "Read@X2"}));

        // A range widened without refilling: numbers without an item are not visited.
        form->Answer = [](TForConnectionForm& f) {
            f.OtUpDown->setValue(1);
            f.DoUpDown->setValue(6);
            f.SelectAllItem->trigger();
            return true;
        };
        Log.clear();
        QVERIFY(Run(macro));
        QCOMPARE(Log, QStringList({"Read@X1", "Read@X2", "Read@X3"}));

        // Another pattern refills the list; Repeat does not ask again.
        form->Answer = nullptr;
        Log.clear();
        QVERIFY(Run({"ForConnection(Y%d;5;6)", "Read", "NextConnection", "Repeat(2)"}));
        QCOMPARE(Log, QStringList({"Read@Y5", "Read@Y6", "Read@Y5", "Read@Y6"}));
        QCOMPARE(form->Shown, 6);

        form->Answer = [](TForConnectionForm&) { return false; };
        Log.clear();
        QVERIFY(!Run(macro));
        QCOMPARE(Log, QStringList());
        QCOMPARE(Prompts->Errors, QStringList{"Отмена выполнения макрокоманды"});
        VerifyRestored();
    }

    void repeats_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("failAtRead");
        QTest::addColumn<int>("reads");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<QString>("error");
        QTest::newRow("three times") << "Repeat(3)" << 0 << 3 << true << "";
        QTest::newRow("once") << "Repeat(1)" << 0 << 1 << true << "";
        QTest::newRow("negative never") << "Repeat(-1)" << 0 << 1 << true << "";
        QTest::newRow("endless until failure") << "Repeat" << 4 << 4 << false << "";
        QTest::newRow("zero is endless") << "Repeat(0)" << 5 << 5 << false << "";
        QTest::newRow("not an integer") << "Repeat(x)" << 0 << 1 << false << "Команда: 'Repeat' ошибка аргумента";
    }
    void repeats()
    {
        QFETCH(QString, line);
        QFETCH(int, failAtRead);
        QFETCH(int, reads);
        QFETCH(bool, finished);
        QFETCH(QString, error);
        FailAtRead = failAtRead;
        QCOMPARE(Run({"Read", line}), finished);
        QCOMPARE(Reads, reads);
        QCOMPARE(Prompts->Errors, error.isEmpty() ? QStringList() : QStringList{error});
    }

    void pauses_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<int>>("waits");
        QTest::newRow("default one second") << "Pause" << QList<int>{1000};
        QTest::newRow("one") << "Pause(1)" << QList<int>{1000};
        QTest::newRow("twenty") << "Pause(20)" << QList<int>{20000};
        QTest::newRow("over twenty") << "Pause(25)" << QList<int>{};
        QTest::newRow("zero") << "Pause(0)" << QList<int>{};
        QTest::newRow("negative") << "Pause(-3)" << QList<int>{};
        QTest::newRow("not a number") << "Pause(x)" << QList<int>{};
    }
    void pauses()
    {
        QFETCH(QString, line);
        QFETCH(QList<int>, waits);
        QVERIFY(Run({line, "Read"}));
        QCOMPARE(Engine->Waits, waits);
        QCOMPARE(Reads, 1);
    }

    void endsEarly_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown command") << QStringList{"Read", "Bogus", "Read"} << QStringList{"Read@B=Opto(2)"}
                                         << "Команда Bogus не найдена !";
        QTest::newRow("blank before paren") << QStringList{"Read (x)"} << QStringList{} << "Команда Read  не найдена !";
        QTest::newRow("one paren") << QStringList{"Read", "SaveToFile(e.txt", "Read"} << QStringList{"Read@B=Opto(2)"}
                                   << "Неправильная команда: SaveToFile(e.txt";
        QTest::newRow("next without loop") << QStringList{"Read", "NextConnection"} << QStringList{"Read@B=Opto(2)"}
                                           << "Команда: 'NextConnection' ошибка в логике макроса";
        QTest::newRow("failing command is quiet") << QStringList{"Read", "Fail", "Read"}
                                                  << QStringList{"Read@B=Opto(2)", "Fail"} << "";
        QTest::newRow("error inside a generated loop")
            << QStringList{"ForConnection(X%d;1;2)", "Read", "Bogus"} << QStringList{"Read@X1"}
            << "Команда Bogus не найдена !";
    }
    void endsEarly()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, log);
        QFETCH(QString, error);
        QVERIFY(!Run(lines));
        QCOMPARE(Log, log);
        QCOMPARE(Prompts->Errors, error.isEmpty() ? QStringList() : QStringList{error});
        VerifyRestored();
    }

    void escapeStops_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("realWait");
        QTest::newRow("between lines") << QStringList{"Read", "Escape", "Read", "Read"} << false;
        QTest::newRow("during a pause") << QStringList{"Read", "Pause(20)", "Read"} << true;
        QTest::newRow("endless repeat") << QStringList{"Read", "Escape", "Repeat"} << false;
    }
    void escapeStops()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, realWait);
        Engine->RealWait = realWait;
        if (realWait) Host->EscapeAfter = 4;  // two line checks, Pause's own processing, then inside the wait
        QVERIFY(!Run(lines));
        QCOMPARE(Log, QStringList{"Read@B=Opto(2)"});
        QCOMPARE(Prompts->Errors, QStringList());
        VerifyRestored();
    }

    void escapeBeforeStartIsIgnored()
    {
        Host->StopRequest = true;
        QVERIFY(Run({"Read", "Read"}));
        QCOMPARE(Reads, 2);
    }

    void runsMoreLinesThanShortIndexHolds()
    {
        QVERIFY(Run(QStringList(40000, "Read")));
        QCOMPARE(Reads, 40000);
    }

    void refusesNestedRun()
    {
        WriteFile("inner.vxm", "Read\r\n");
        QVERIFY(Run({"Nested", "Read"}));
        QCOMPARE(Log, QStringList({"nested=false", "Read@B=Opto(2)"}));
    }

    void missingFileDoesNothing()
    {
        QVERIFY(!Engine->RunMacro("none.vxm"));
        QCOMPARE(Host->MacroRunningChanges, 0);
        QCOMPARE(Prompts->Errors, QStringList());
    }

    void listsAndRepeatsMenuMacros_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("current directory") << "";
        QTest::newRow("given folder") << "macros";
    }
    void listsAndRepeatsMenuMacros()
    {
        QFETCH(QString, folder);
        if (!folder.isEmpty()) {
            QVERIFY(QDir().mkdir(folder));
            WriteFile("elsewhere.vxm", "Fail\r\n");  // in the current directory, not in the folder
            Engine->MacroFolder = Folder->filePath(folder);
        }
        const QDir dir(Engine->MacroFolder);
        for (const char* name : {"b.vxm", "a.b.vxm", "C.vxm", "x.txt", "y.VXM"})
            WriteFile(dir.filePath(name), "Fail\r\n");
        WriteFile(dir.filePath("a.vxm"), "Read\r\n");
        QCOMPARE(Engine->MacroMenuCaptions(), QStringList({"a", "a", "b", "C"}));

        QVERIFY(!Engine->RepeatLastMacro());
        QCOMPARE(Host->MacroRunningChanges, 0);
        QVERIFY(Engine->RunMenuMacro("a"));
        QVERIFY(Engine->RepeatLastMacro());
        QCOMPARE(Reads, 2);
    }

    void recognisesStartupMacro_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isMacro");
        QTest::newRow("macro") << "m.vxm" << true;
        QTest::newRow("two dots") << "m.b.vxm" << true;
        QTest::newRow("upper case") << "M.VXM" << false;
        QTest::newRow("other extension") << "m.vxm.bak" << false;
        QTest::newRow("missing") << "gone.vxm" << false;
        QTest::newRow("folder") << "dir.vxm" << false;
        QTest::newRow("empty") << "" << false;
    }
    void recognisesStartupMacro()
    {
        QFETCH(QString, name);
        QFETCH(bool, isMacro);
        for (const char* file : {"m.vxm", "m.b.vxm", "M.VXM", "m.vxm.bak"}) WriteFile(file, "");
        QVERIFY(QDir().mkdir("dir.vxm"));
        QCOMPARE(TMacroEngine::IsStartupMacro(name), isMacro);
    }

    void rangeFormFillsAndRecovers()
    {
        TForConnectionForm form;
        const auto numbers = [&form]() {
            QStringList items;
            for (int k = 0; k < form.clbNumber->count(); ++k)
                items << form.clbNumber->item(k)->text() + (form.IsTicked(k) ? "+" : "-");
            return items;
        };
        QCOMPARE(form.windowTitle(), QString("Выбор параметров цикла"));
        QCOMPARE(form.ForConnectionLabel->font().bold(), true);
        QCOMPARE(form.OtUpDown->maximum(), 255);
        QCOMPARE(form.DoUpDown->maximum(), 255);

        form.Setup("p", 3, 5);
        QCOMPARE(numbers(), QStringList({"3+", "4+", "5+"}));
        form.ClearAllItem->trigger();
        QCOMPARE(numbers(), QStringList({"3-", "4-", "5-"}));
        form.SelectAllItem->trigger();
        QCOMPARE(numbers(), QStringList({"3+", "4+", "5+"}));

        form.show();  // remembers 3..5
        form.OtUpDown->setValue(7);
        form.ChangeBtn->click();
        QCOMPARE(numbers(), QStringList({"7+", "6+", "5+"}));
        QVERIFY(!form.IsTicked(3));
        form.RecoverBtn->click();
        QCOMPARE(form.From(), 3);
        QCOMPARE(numbers(), QStringList({"3+", "4+", "5+"}));
        form.hide();
    }
};

QTEST_MAIN(TestMacroEngine)
#include "tst_macro_engine.moc"
