#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"
#include "connection/test_bench.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString kCalibration = QStringLiteral("Калибровка электросчетчиков");
const QString kVerification = QStringLiteral("Поверка электросчетчиков");

// A bench program listening under one window title: it answers every place
// line with its scripted answer, or hangs up without one ("<close>").
struct TBenchProgram {
    TBenchProgram(const QString& title, const QByteArray& answer) : Answer(answer)
    {
        QLocalServer::removeServer(title);
        Listening = Server.listen(title);
    }

    void Poll()
    {
        while (QLocalSocket* s = Server.nextPendingConnection()) Clients.append(s);
        for (QLocalSocket* s : Clients) {
            if (s->state() != QLocalSocket::ConnectedState || !s->canReadLine()) continue;
            Received += s->readLine();
            if (Answer == "<close>") {
                s->abort();
            } else {
                s->write(Answer + '\n');
                s->flush();
            }
        }
    }

    QLocalServer Server;
    QList<QLocalSocket*> Clients;
    QByteArray Answer;
    QByteArray Received;
    bool Listening = false;
};

QString SwitchError(int place)
{
    try {
        SwitchTestBench(place);
    } catch (const TError& e) {
        return e.Message;
    }
    return QString();
}

}  // namespace

class TestTestBench : public QObject {
    Q_OBJECT

    QTemporaryDir Home;
    std::vector<std::unique_ptr<TBenchProgram>> Programs;

    TBenchProgram& Start(const QString& title, const QByteArray& answer)
    {
        Programs.push_back(std::make_unique<TBenchProgram>(title, answer));
        return *Programs.back();
    }

    void SetTitle(const QString& title)
    {
        TMyIniFile(SettingsFilePath()).WriteString(QStringLiteral("common"), QStringLiteral("clou_title"), title);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Home.isValid());
        qputenv("VEXA_HOME", Home.path().toLocal8Bit());
        qputenv("TMPDIR", Home.path().toLocal8Bit());  // local server names live here
        TMyIniFile(SettingsFilePath()).WriteString(QStringLiteral("common"), QStringLiteral("clou_timeout"), QStringLiteral("2"));
        SetEventPump([this] {
            QCoreApplication::processEvents();
            for (auto& p : Programs) p->Poll();
        });
    }

    void cleanupTestCase() { SetEventPump(nullptr); }

    void cleanup()
    {
        Programs.clear();
        SetTitle(QString());
    }

    void benchNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bench");
        QTest::addColumn<int>("place");
        QTest::newRow("place 12") << "CLOU_12" << true << 12;
        QTest::newRow("prefix alone") << "CLOU_" << false << -5;
        QTest::newRow("digits end the number") << "CLOU_7a" << true << 7;
        QTest::newRow("no digits") << "CLOU_x" << true << 0;
        QTest::newRow("case matters") << "clou_3" << false << -5;
        QTest::newRow("must begin with it") << "XCLOU_3" << false << -5;
    }

    void benchNames()
    {
        QFETCH(QString, name);
        int place = -5;
        QTEST(IsTestBenchName(name, &place), "bench");
        QTEST(place, "place");
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("error");
        const QString tail = QStringLiteral(" в программе CHECK.EXE управления CLOU");
        QTest::newRow("switched") << QByteArray("12") << QString();
        QTest::newRow("0") << QByteArray("0")
                           << "Не открыто окно прямого управления стендом в программе CHECK.EXE управления CLOU";
        QTest::newRow("-1") << QByteArray("-1") << "Неверный номер места 12" + tail;
        QTest::newRow("-2") << QByteArray("-2") << "Ошибка установки места 12" + tail;
        QTest::newRow("other") << QByteArray("7") << "Неопределенная ошибка установки места 12" + tail;
        QTest::newRow("no answer") << QByteArray("<close>") << "Неверный номер места 12" + tail;
    }

    void answers()
    {
        QFETCH(QByteArray, answer);
        TBenchProgram& program = Start(kCalibration, answer);
        QVERIFY(program.Listening);
        QTEST(SwitchError(12), "error");
        QCOMPARE(program.Received, QByteArray("12\n"));
    }

    void findsProgram_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("running");  // titles of running programs; the first answers 3
        QTest::addColumn<QString>("error");
        const QString notFound = QStringLiteral("Не найдена программа CHECK.EXE управления CLOU");
        QTest::newRow("none running") << QString() << QStringList() << notFound;
        QTest::newRow("verification only") << QString() << QStringList{kVerification} << QString();
        QTest::newRow("calibration first") << QString() << QStringList{kCalibration, kVerification} << QString();
        QTest::newRow("title from settings") << "Стенд 2" << QStringList{"Стенд 2", kCalibration} << QString();
        QTest::newRow("title from settings only") << "Стенд 2" << QStringList{kCalibration} << notFound;
    }

    void findsProgram()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, running);
        SetTitle(title);
        for (int i = 0; i < running.size(); ++i) QVERIFY(Start(running[i], i == 0 ? "3" : "-2").Listening);
        QTEST(SwitchError(3), "error");
    }
};

QTEST_GUILESS_MAIN(TestTestBench)
#include "tst_test_bench.moc"
