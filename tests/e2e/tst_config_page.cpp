// The configuration page against zv301-sim: what it reads into its rows,
// what a write sends in which order under which session, the checks of its
// values and its table files.
#include "support/error_of.h"
#include "common/error.h"
#include "device/device.h"
#include "pages/config_exchange.h"
#include "pages/config_rows.h"
#include "pages/display_format.h"
#include "pages/frame_config_1.h"
#include "support/scripted_prompter.h"
#include "support/sim_process.h"

#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One outgoing request in short: R<param> read, W<param>:<data hex> write,
// S<level> password attempt, C close session.
QString Summary(const QByteArray& frame)
{
    const QByteArray body = frame.mid(1, frame.size() - 3);  // without address and CRC
    const int cmd = uint8_t(body[0]);
    const QString param = QString::number(uint8_t(body[1]));
    switch (cmd) {
    case 3: return QStringLiteral("R") + param;
    case 16: return QStringLiteral("W") + param + QLatin1Char(':') + QString::fromLatin1(body.mid(3).toHex());
    case 31: return QStringLiteral("S") + QString::number(uint8_t(body[2]));
    case 32: return QStringLiteral("C");
    default: return QStringLiteral("?") + QString::fromLatin1(body.toHex());
    }
}

// Records the requests a device sends.
struct TRequestLog {
    explicit TRequestLog(TDevice& device) : Device(device)
    {
        device.Connection().SetTrace([this](bool outgoing, const QByteArray& frame) {
            if (outgoing) Sent.append(Summary(frame));
        });
    }
    ~TRequestLog() { Device.Connection().SetTrace(nullptr); }
    QString Text() const { return Sent.join(QLatin1Char(' ')); }
    TDevice& Device;
    QStringList Sent;
};

QStringList Values(const TConfigRows& rows)
{
    QStringList values;
    for (int i = 0; i < rows.Count(); ++i) values.append(rows.Value(i));
    return values;
}

// "caption=value" edits.
void Apply(TConfigRows& rows, const QStringList& edits)
{
    for (const QString& edit : edits) {
        const int eq = edit.indexOf(QLatin1Char('='));
        const int row = rows.IndexOf(edit.left(eq));
        QVERIFY2(row >= 0, qPrintable(edit));
        rows.SetValue(row, edit.mid(eq + 1));
    }
}

const char* const kNoReject = "no reject expected";

// The factory state of the simulated meter as the page shows it.
const QStringList kFactoryRows = {
    "ZV-301-258      ", "0000012345", "15-03-23", "3.02", "00000000", "1000", "1", "RS485", "9600",
    "без паритета", "1", "000000.00", "кВт·ч", "00000.000", "кВт", "0000000.0", "В", "000000.00", "A",
};

}  // namespace

class TestConfigPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readFillsEveryRow()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TDevice device;
        device.Connect(sim.XPortConnection());
        TConfigRows rows(TFrameConfig_1::ConfigRows);
        rows.SetValue(0, QStringLiteral("left from another meter"));
        TRequestLog log(device);
        TConfigExchange(device, rows).Read();
        QCOMPARE(Values(rows), kFactoryRows);
        QCOMPARE(log.Text(), QString("R17 R18 R19 R20 R22 R24 R21 R23 R34"));
    }

    // Each case starts from the factory state, optionally with another main
    // password or a display format the list cannot show.
    void writeSendsWhatChanged_data()
    {
        QTest::addColumn<QString>("mainPassword");
        QTest::addColumn<QByteArray>("meterFormat");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("sent");

        const QByteArray none;
        QTest::newRow("nothing changed: close only, no password")
            << QString() << none << QStringList() << "R22 R24 R34 R23 R21 C";
        QTest::newRow("parity alone: main or additional password, parameter 23 alone")
            << "k9" << none << QStringList{"Вид паритета=четность"}
            << "R22 R24 R34 R23 S0 S1 W23:802503000201 R21 C";
        QTest::newRow("energy format and parity: one main session")
            << QString() << none << QStringList{"Энергия: формат числа=00000.000", "Вид паритета=четность"}
            << "R22 R24 R34 S0 R20 W34:010000000100000001030001030000010002 R23 W23:802503000201 R21 C";
        QTest::newRow("every writable value, in the fixed order")
            << QString() << none
            << QStringList{"Сетевой адрес=1", "Число стоп-бит=2", "Скорость обмена (бод)=19200",
                           "Ток: формат числа=0000000.0", "Кпр телеметрического выхода (имп/кВт·ч)=2000",
                           "ID пользователя=ABC"}
            << "R22 S0 W22:4142432020202020 R24 W24:d007000064000000 R34 R20 "
               "W34:010000000100000001020001030000010001 R23 W23:004b03000002 R21 C";
        // The meter answers at its new address at once; the close must follow it.
        QTest::newRow("network address written last, session closed at the new address")
            << QString() << none << QStringList{"Сетевой адрес=7"} << "R22 R24 R34 R23 R21 S0 W21:07 C";
        QTest::newRow("ratio 5 and a multiplier are put back to 1 and 0")
            << QString() << QByteArray::fromHex("050000000100000001020701030000010002") << QStringList()
            << "R22 R24 R34 S0 R20 W34:010000000100000001020001030000010002 R23 R21 C";
    }

    void writeSendsWhatChanged()
    {
        QFETCH(QString, mainPassword);
        QFETCH(QByteArray, meterFormat);
        QFETCH(QStringList, edits);
        QFETCH(QString, sent);

        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TDevice device;
        device.Connect(sim.XPortConnection());
        if (!mainPassword.isEmpty()) device.ChangePassword(mainPassword);
        if (!meterFormat.isEmpty()) {
            device.OpenSession(kSessionMain);
            device.Write(34, meterFormat.constData(), meterFormat.size());
            device.CloseSession();
        }
        TConfigRows rows(TFrameConfig_1::ConfigRows);
        TConfigExchange(device, rows).Read();
        Apply(rows, edits);

        TRequestLog log(device);
        TConfigExchange(device, rows).Write([](const DisplayFormat&) { QFAIL(kNoReject); });
        QCOMPARE(log.Text(), sent);
        QVERIFY(prompter.PasswordPrompts.isEmpty());

        // The meter now holds what the list shows (the ID padded with spaces).
        TConfigRows reread(TFrameConfig_1::ConfigRows);
        TConfigExchange(device, reread).Read();
        const int id = rows.IndexOf(QString::fromUtf8(kRowUserId));
        rows.SetValue(id, rows.Value(id).leftJustified(8));
        QCOMPARE(Values(reread), Values(rows));
    }

    void writeStopsAtFirstBadRow_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("sent");

        QTest::newRow("empty user ID, nothing written")
            << QStringList{"ID пользователя=", "Вид паритета=четность"}
            << "Строка ID пользователя не заполнена" << "R22";
        QTest::newRow("pulse constant not a number")
            << QStringList{"Кпр телеметрического выхода (имп/кВт·ч)=12a"}
            << "Ошибка в строке: Кпр телеметрического выхода (имп/кВт·ч)" << "R22 R24";
        // An unknown stop-bits code read from a meter shows as "?".
        QTest::newRow("stop bits unknown, after the display format was written")
            << QStringList{"Число стоп-бит=?", "Напряжение: формат числа=00000000"}
            << "Ошибка в строке: Число стоп-бит"
            << "R22 R24 R34 S0 R20 W34:010000000100000001020001030000000002 R23";
        QTest::newRow("network address beyond one byte from a loaded file")
            << QStringList{"Сетевой адрес=300"} << "Ошибка в строке: Сетевой адрес" << "R22 R24 R34 R23 R21";
    }

    void writeStopsAtFirstBadRow()
    {
        QFETCH(QStringList, edits);
        QFETCH(QString, message);
        QFETCH(QString, sent);

        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TDevice device;
        device.Connect(sim.XPortConnection());
        TConfigRows rows(TFrameConfig_1::ConfigRows);
        TConfigExchange(device, rows).Read();
        Apply(rows, edits);
        TRequestLog log(device);
        QCOMPARE(ErrorOf([&] { TConfigExchange(device, rows).Write([](const DisplayFormat&) { QFAIL(kNoReject); }); }),
                 message);
        QCOMPARE(log.Text(), sent);
    }

    // The simulated meter shows energy in kilo-units only and refuses the
    // record with status 2.
    void refusedDisplayFormatStopsThePage()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TheDevice().Connect(sim.XPortConnection());
        TFrameConfig_1 page(nullptr);
        page.Read();
        page.Rows().SetRowText(QString::fromUtf8(kRowEnergyUnit), QStringLiteral("МВт·ч"));
        TRequestLog log(TheDevice());
        QCOMPARE(ErrorOf([&] { page.Write(); }), QString("Неправильно задан формат отображения"));
        QCOMPARE(log.Text(), QString("R0 R22 R24 R34 S0 R20 W34:010000000100000002020001030000010002"));
        QVERIFY(prompter.Errors.isEmpty());
        TheDevice().Disconnect();
    }

    void unsupportedMeterWritesNothing()
    {
        TSimProcess sim({QStringLiteral("--type"), QStringLiteral("3")});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TheDevice().Connect(sim.XPortConnection());
        TFrameConfig_1 page(nullptr);
        page.Read();  // warned, read all the same
        QCOMPARE(page.Rows().Value(6), QString("1"));
        page.Rows().SetRowText(QString::fromUtf8(kRowParity), QStringLiteral("четность"));
        TRequestLog log(TheDevice());
        page.Write();
        QCOMPARE(log.Text(), QString("R0"));
        const QString warning = QStringLiteral("Эта программа предназначена для работы с одно-фазными счетчиками\n"
                                               "Возможна неправильная интерпретация данных !");
        QCOMPARE(prompter.Errors, QStringList({warning, warning}));
        TheDevice().Disconnect();
    }

    void networkAddressCheckedOnLeavingTheCell_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("reported");

        QTest::newRow("255 taken") << 7 << "255" << "255" << false;
        QTest::newRow("256 reset") << 7 << "256" << "0" << true;
        QTest::newRow("empty reset") << 7 << "" << "0" << true;
        QTest::newRow("not a number reset") << 7 << "x1" << "0" << true;
        QTest::newRow("other rows unchecked") << 5 << "99999" << "99999" << false;
    }

    void networkAddressCheckedOnLeavingTheCell()
    {
        QFETCH(int, line);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(bool, reported);

        TScriptedPrompter prompter;
        TFrameConfig_1 page(nullptr);
        page.Rows().SetValue(line - 1, QStringLiteral("12"));  // as read
        page.vleConfig->item(line, 1)->setText(typed);
        QCOMPARE(page.Rows().Value(line - 1), kept);
        QCOMPARE(page.vleConfig->item(line, 1)->text(), kept);
        QCOMPARE(prompter.Errors,
                 reported ? QStringList{"Сетевой адрес должен быть в диапазоне 0...255"} : QStringList());
    }

    void tableFileRoundTrip()
    {
        TSimProcess sim;
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("CFG0000012345.txt"));
        TScriptedPrompter prompter;
        TheDevice().Connect(sim.XPortConnection());
        TFrameConfig_1 saved(nullptr);
        saved.Read();
        saved.Rows().SetRowText(QString::fromUtf8(kRowUserId), QStringLiteral("A B"));
        prompter.FileAnswers << path;
        saved.SaveToFile(QString());
        TheDevice().Disconnect();

        TFrameConfig_1 loaded(nullptr);
        loaded.LoadFromFile(QString());  // cancelled: nothing happens
        QCOMPARE(Values(loaded.Rows()), QStringList(kFactoryRows.size(), QString()));
        prompter.FileAnswers << path;
        loaded.LoadFromFile(QString());
        QStringList expected;
        for (const QString& v : Values(saved.Rows())) expected.append(v.trimmed());
        QCOMPARE(Values(loaded.Rows()), expected);
        QCOMPARE(loaded.vleConfig->item(2, 1)->text(), QString("0000012345"));
        QCOMPARE(prompter.FileRequests.size(), 3);
    }

    void loadRefusesOtherTables_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");

        QTest::newRow("three columns") << 3 << 20;
        QTest::newRow("one row short") << 2 << 19;
    }

    void loadRefusesOtherTables()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("CFGx.txt"));
        QByteArray text = "+--+\r\n";
        for (int r = 0; r < rows; ++r) text += QByteArray("|v").repeated(columns) + "|\r\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();

        TScriptedPrompter prompter;
        TFrameConfig_1 page(nullptr);
        page.Rows().SetValue(0, QStringLiteral("kept"));
        QCOMPARE(ErrorOf([&] { page.LoadFromFile(path); }), QString("Cчитанный файл не таблица конфигурации"));
        QCOMPARE(page.Rows().Value(0), QString("kept"));
    }

    void displayFormatRecord()
    {
        const QByteArray bytes = QByteArray::fromHex("05000000ffffffff020301010200000102ff");
        const DisplayFormat f = DisplayFormat::Decode(bytes);
        QCOMPARE(f.KI, 5.0f);
        QCOMPARE(f.KU, 4294967296.0f);  // the nearest float
        QCOMPARE(f.EnergyUnit, uint8_t(2));
        QCOMPARE(f.CurrentFormat, uint8_t(0xff));
        DisplayFormat g = f;
        g.KI = 2.9f;
        g.KU = -3;
        QCOMPARE(g.Encode(), QByteArray::fromHex("0200000000000000020301010200000102ff"));
        g.KU = f.KU;
        QCOMPARE(g.Encode().mid(4, 4), QByteArray::fromHex("ffffffff"));
    }
};

QTEST_MAIN(TestConfigPage)
#include "tst_config_page.moc"
