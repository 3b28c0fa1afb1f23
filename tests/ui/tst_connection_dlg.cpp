// The connection settings dialog: the string it gives back, its panels, the
// serial-number lists and the meter search it starts.
#include "common/app_paths.h"
#include "common/my_ini_file.h"
#include "connection/serial_port.h"
#include "support/scripted_prompter.h"
#include "support/sim_process.h"
#include "tools/com_face.h"
#include "tools/connection_dlg.h"
#include "tools/find_zv.h"
#include "tools/port_face.h"
#include "tools/sn_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString kEdit = QString::fromUtf8(kEditConnectionCaption);

TComFace* ComFace(TConfigDlg& dialog, int tab) { return qobject_cast<TComFace*>(dialog.Faces.at(tab)); }

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class TestConnectionDlg : public QObject {
    Q_OBJECT
    QTemporaryDir Home;

private Q_SLOTS:
    void initTestCase() { qputenv("VEXA_HOME", Home.path().toLocal8Bit()); }
    void cleanup() { QFile::remove(SnSavePath()); }

    void okWithoutChanges_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("result");
        QTest::newRow("defaults dropped") << "Opto(1)" << "Opto";
        QTest::newRow("link settings written in full") << "X=RS232[5](3,19200)" << "X=RS232[5,0,,0](3,19200)";
        QTest::newRow("no brackets without link settings") << "RS232(3)" << "RS232(3)";
        QTest::newRow("port missing on this computer") << "Щиток=RS485[5,1,,0](9)" << "Щиток=RS485[5,1,,0](9)";
        QTest::newRow("mask and extended framing") << "A=Opto[0,0,1234????,1](9)" << "A=Opto[0,0,1234????,1](9)";
        QTest::newRow("every serial field") << "RS485(9,19200,odd,hard,2,100,20,1)"
                                            << "RS485(9,19200,odd,hard,2,100,20,1)";
        QTest::newRow("current loop") << "C=CL(9,1200,,,2,,,0)" << "C=CL(9,1200,,,2,,,0)";
        QTest::newRow("M-Bus") << "M=MBUS(9,2400,even)" << "M=MBUS(9,2400,even)";
        QTest::newRow("PLC modem") << "P=PLCModem(9,600,,,,3000,50)" << "P=PLCModem(9,600,,,,3000,50)";
        QTest::newRow("modem, pulse dialling") << "Модем(P123-45,9,&F,40,20,19200,0)"
                                               << "Модем(P123-45,9,&F,40,20,19200,0)";
        QTest::newRow("modem, tone dialling") << "Модем(T5)" << "Модем(T5)";
        QTest::newRow("TCP/IP") << "XPort(10.0.0.5,4001,3000,10,5000,100,30)"
                                << "XPort(10.0.0.5,4001,3000,10,5000,100,30)";
        QTest::newRow("TCP/IP writes all seven") << "XPort" << "XPort(,,5000,0,10000,200,25)";
    }

    void okWithoutChanges()
    {
        QFETCH(QString, connection);
        QFETCH(QString, result);
        TScriptedPrompter prompter;
        TConfigDlg dialog(kEdit, connection);
        dialog.OKBtn->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Result(), result);
        QCOMPARE(prompter.Errors, QStringList());
    }

    void opensOnTheConnectionsTab()
    {
        TConfigDlg dialog(QString::fromUtf8(kAddConnectionCaption), QStringLiteral("Opto(1)"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Добавление нового подключения"));
        QCOMPARE(dialog.pcFaces->currentIndex(), 0);
        QCOMPARE(dialog.pcFaces->tabText(0), QStringLiteral("Опто"));
        for (int i = 0; i < dialog.Faces.size(); ++i) QCOMPARE(dialog.Faces[i]->Active, i == 0);
        TComFace* opto = ComFace(dialog, 0);
        QCOMPARE(opto->cbNumPort->currentText(), QStringLiteral("COM1"));
        QCOMPARE(opto->cbBaudrate->currentText(), QStringLiteral("2400"));
        QVERIFY(!opto->cbBaudrate->isEnabled());
        QCOMPARE(opto->cbParity->currentText(), QStringLiteral("четность"));
        QVERIFY(!opto->cbParity->isEnabled());
        QVERIFY(!dialog.SNEdit->isEnabled());
        QVERIFY(!dialog.SNCheck->isChecked());
    }

    void unparsableStringKeepsWhatWasRead_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("repetitions");
        QTest::newRow("unknown keyword") << "Z=Foo[1](2)" << "Z" << 0 << 0;
        QTest::newRow("rejected port parameters") << "Q=Opto[7,2](1,9600)" << "Q" << 7 << 2;
        QTest::newRow("missing parenthesis") << "Q=RS232[7,2](3" << "Q" << 7 << 2;
        QTest::newRow("missing bracket") << "W=RS232[7,2(3)" << "W" << 0 << 0;
    }

    void unparsableStringKeepsWhatWasRead()
    {
        QFETCH(QString, connection);
        QFETCH(QString, name);
        QFETCH(int, address);
        QFETCH(int, repetitions);
        TConfigDlg dialog(kEdit, connection);
        QCOMPARE(dialog.pcFaces->currentIndex(), 0);
        for (TPortFace* face : dialog.Faces) QVERIFY(!face->Active);
        QCOMPARE(ComFace(dialog, 0)->Prm(), DefaultComPrm(ptOpto));
        QCOMPARE(dialog.eNameConnect->text(), name);
        QCOMPARE(dialog.eNetAdr->value(), address);
        QCOMPARE(dialog.eNumAttempts->value(), repetitions);
    }

    void clearedAddressShowsZero()
    {
        TConfigDlg dialog(kEdit, QStringLiteral("RS232[5](3)"));
        auto* edit = dialog.eNetAdr->findChild<QLineEdit*>();
        QCOMPARE(edit->text(), QStringLiteral("5"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("0"));
        dialog.OKBtn->click();
        QCOMPARE(dialog.Result(), QStringLiteral("RS232(3)"));
    }

    void maskIsPaddedToEightCharacters()
    {
        TConfigDlg dialog(kEdit, QStringLiteral("N=RS485(3)"));
        dialog.SNCheck->click();
        QVERIFY(dialog.SNEdit->isEnabled() && dialog.SNFind->isEnabled());
        dialog.SNEdit->setEditText(QStringLiteral("123"));
        dialog.OKBtn->click();
        QCOMPARE(dialog.Result(), QStringLiteral("N=RS485[0,0,123?????,0](3)"));
    }

    // A speed that is not a number keeps the dialog open with the port's
    // message instead of ending it with no result.
    void speedNotANumberKeepsTheDialogOpen()
    {
        TScriptedPrompter prompter;
        TConfigDlg dialog(kEdit, QStringLiteral("RS232(3)"));
        TComFace* rs232 = ComFace(dialog, 1);
        rs232->cbBaudrate->setEditText(QStringLiteral("abc"));
        dialog.OKBtn->click();
        QCOMPARE(prompter.Errors, QStringList{QString::fromUtf8(kComPrmError)});
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.Result().isEmpty());
        rs232->cbBaudrate->setEditText(QStringLiteral("4800"));
        dialog.OKBtn->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Result(), QStringLiteral("RS232(3,4800)"));
    }

    void serialNumberLists()
    {
        TScriptedPrompter prompter;
        WriteBytes(SnSavePath(), "00000001\r\n00000002\r\n");
        TConfigDlg dialog(kEdit, QStringLiteral("RS485[0,0,00000002](3)"));
        QCOMPARE(dialog.SNEdit->count(), 2);
        QCOMPARE(dialog.SNEdit->itemText(1), QStringLiteral("00000002"));
        QCOMPARE(dialog.SNEdit->currentText(), QStringLiteral("00000002"));

        const QString list = SnListFolder() + QStringLiteral("/bus.snlst");
        WriteBytes(list, "12345678\n\n87654321\n");
        prompter.FileAnswers = {list};
        dialog.SNLoad->click();
        QCOMPARE(prompter.FileRequests.size(), 1);
        QCOMPARE(prompter.FileRequests[0].Folder, Home.path() + QStringLiteral("/LIST_SN"));
        QCOMPARE(prompter.FileRequests[0].Filter, QStringLiteral("Файлы с заводскими номерами|*.snlst"));
        QCOMPARE(prompter.FileRequests[0].DefaultExt, QStringLiteral("snlst"));
        QCOMPARE(dialog.SNEdit->count(), 2);
        QCOMPARE(dialog.SNEdit->itemText(0), QStringLiteral("12345678"));
        QCOMPARE(dialog.SNEdit->itemText(1), QStringLiteral("87654321"));
        QCOMPARE(dialog.SNEdit->currentText(), QStringLiteral("00000002"));
    }

    // "Найти" hands the string to the search window; the numbers found become
    // the mask list and replace the saved list.
    void findMetersFromTheDialog()
    {
        TSimProcess sim({"--meter", "00012345:1", "--meter", "00012399:2"});
        QVERIFY2(sim.Started(), qPrintable(sim.Error()));
        TScriptedPrompter prompter;
        TMyIniFile ini(SettingsFilePath());
        ini.WriteString(QStringLiteral("config"), QStringLiteral("FindZV_LoSN"), QStringLiteral("0001"));
        ini.WriteString(QStringLiteral("config"), QStringLiteral("FindZV_HiSN"), QStringLiteral("0001"));
        ini.WriteInteger(QStringLiteral("config"), QStringLiteral("FindZV_TmOut"), 200);
        WriteBytes(SnSavePath(), "00000001\r\n");

        TConfigDlg dialog(kEdit, sim.XPortConnection(QStringLiteral("[0,0,00000001]")));
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* window = qobject_cast<TFindZV*>(QApplication::activeModalWidget());
            if (!window) return;
            window->Button3->click();
            caption = window->GroupBox1->title();
            window->UpDown1->setValue(3);
            window->Button2->click();
        });
        dialog.SNFind->click();
        QCOMPARE(prompter.Infos, QStringList{QString::fromUtf8(kSearchDoneText)});
        QCOMPARE(caption, QStringLiteral("Найденные счетчики - 2"));
        QCOMPARE(dialog.SNEdit->count(), 2);
        QCOMPARE(dialog.SNEdit->itemText(0), QStringLiteral("00012345"));
        QCOMPARE(dialog.SNEdit->itemText(1), QStringLiteral("00012399"));
        QCOMPARE(FileBytes(SnSavePath()), QByteArray("00012345\r\n00012399\r\n"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("config"), QStringLiteral("FindZV_CntNode"), 0), 3);
    }

    void searchOverAnUnreachableLink()
    {
        TScriptedPrompter prompter;
        TFindZV window;
        window.SetConnectionString(QStringLiteral("XPort(127.0.0.1,1,200,0,300,0,0)"));
        window.Search();
        QCOMPARE(prompter.Infos, QStringList{QString::fromUtf8(kPortBusyText)});
        QVERIFY(window.Button3->isEnabled());
    }
};

QTEST_MAIN(TestConnectionDlg)
#include "tst_connection_dlg.moc"
