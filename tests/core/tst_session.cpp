// Password sessions against a scripted meter that keeps two passwords.
#include "connection/crc.h"
#include "device/device.h"
#include "device/device_exception.h"
#include "support/fake_port.h"
#include "support/scripted_prompter.h"

#include <QtTest>
#include <memory>

namespace {

const uint8_t kAddr = 1;
const char* const kFactory = "24681357";

QByteArray WithCrc(QByteArray frame)
{
    const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

QByteArray Bytes(std::initializer_list<int> values, const char* text = "")
{
    QByteArray bytes;
    for (int v : values) bytes.append(char(v));
    return bytes + QByteArray(text);
}

// A meter with a main and an additional password; writes answer WriteStatus.
struct TSessionMeter {
    QByteArray Main = kFactory;
    QByteArray Additional = kFactory;
    uint8_t SessionStatus = 0;  // non-zero: every command 31 gets this status
    uint8_t WriteStatus = 0;
    TFakePort* Port = nullptr;
    TDevice Device;

    TSessionMeter()
    {
        auto port = std::make_unique<TFakePort>();
        Port = port.get();
        Port->Respond = [this](const QByteArray& frame) {
            const QByteArray body = frame.mid(1, frame.size() - 3);
            switch (uint8_t(body[0])) {
            case 31: {
                const QByteArray& expected = body[2] == 0 ? Main : Additional;
                const int status = SessionStatus ? SessionStatus : body.mid(3) == expected ? 0 : 3;
                return WithCrc(char(kAddr) + body.left(2) + char(status));
            }
            case 32:
                return frame;  // the confirmation repeats the request
            default:
                return WithCrc(char(kAddr) + body.left(2) + char(WriteStatus));
            }
        };
        Device.Connection().SetPort(std::move(port));
        Device.Connection().SetAddressing(kAddr, 0, QString(), 0);
    }

    QList<QByteArray> Bodies() const
    {
        QList<QByteArray> bodies;
        for (const QByteArray& frame : Port->Sent) bodies.append(frame.mid(1, frame.size() - 3));
        return bodies;
    }
};

QByteArray Attempt(int level, const char* password) { return Bytes({31, 0, level}, password); }

const QString kAnyPrompt = QStringLiteral("Введите основной или дополнительный пароль");

}  // namespace

class TestSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openSession_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QByteArray>("additional");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QList<QByteArray>>("bodies");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<bool>("opened");

        QTest::newRow("0 does nothing") << 0 << QByteArray("x") << QByteArray("x") << QStringList()
                                        << QList<QByteArray>() << QStringList() << true;
        QTest::newRow("5 factory meter") << 5 << QByteArray(kFactory) << QByteArray(kFactory) << QStringList()
                                         << QList<QByteArray>{Attempt(0, kFactory)} << QStringList() << true;
        QTest::newRow("2 never asks") << 2 << QByteArray(kFactory) << QByteArray("changed1") << QStringList{"x"}
                                      << QList<QByteArray>{Attempt(1, kFactory)} << QStringList() << false;
        QTest::newRow("15 defaults, then both levels per answer")
            << 15 << QByteArray("mainpass") << QByteArray("abc     ") << QStringList{"wrong", "abc"}
            << QList<QByteArray>{Attempt(0, kFactory), Attempt(1, kFactory), Attempt(0, "wrong   "),
                                 Attempt(1, "wrong   "), Attempt(0, "abc     "), Attempt(1, "abc     ")}
            << QStringList{kAnyPrompt, kAnyPrompt} << true;
        QTest::newRow("15 main answer") << 15 << QByteArray("mainpass") << QByteArray("addpass1")
                                        << QStringList{"mainpass"}
                                        << QList<QByteArray>{Attempt(0, kFactory), Attempt(1, kFactory),
                                                             Attempt(0, "mainpass")}
                                        << QStringList{kAnyPrompt} << true;
        QTest::newRow("15 cancelled") << 15 << QByteArray("mainpass") << QByteArray("addpass1") << QStringList()
                                      << QList<QByteArray>{Attempt(0, kFactory), Attempt(1, kFactory)}
                                      << QStringList{kAnyPrompt} << false;
        QTest::newRow("133 ten characters cut to eight")
            << 133 << QByteArray("01234567") << QByteArray(kFactory) << QStringList{"0123456789"}
            << QList<QByteArray>{Attempt(0, kFactory), Attempt(0, "01234567")}
            << QStringList{QStringLiteral("Введите основной пароль")} << true;
        QTest::newRow("133 Cyrillic one byte per character")
            << 133 << QByteArray("\xEF\xE0\xF0\xEE\xEB\xFC  ") << QByteArray(kFactory)
            << QStringList{QStringLiteral("пароль")}
            << QList<QByteArray>{Attempt(0, kFactory), Attempt(0, "\xEF\xE0\xF0\xEE\xEB\xFC  ")}
            << QStringList{QStringLiteral("Введите основной пароль")} << true;
        QTest::newRow("138 additional only") << 138 << QByteArray(kFactory) << QByteArray("xyz     ")
                                             << QStringList{"xyz"}
                                             << QList<QByteArray>{Attempt(1, kFactory), Attempt(1, "xyz     ")}
                                             << QStringList{QStringLiteral("Введите дополнительный пароль")}
                                             << true;
    }

    void openSession()
    {
        QFETCH(int, flags);
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, additional);
        QFETCH(QStringList, answers);
        QFETCH(QList<QByteArray>, bodies);
        QFETCH(QStringList, prompts);
        QFETCH(bool, opened);
        TScriptedPrompter prompter;
        prompter.PasswordAnswers = answers;
        TSessionMeter meter;
        meter.Main = main;
        meter.Additional = additional;
        try {
            meter.Device.OpenSession(uint8_t(flags));
            QVERIFY(opened);
        } catch (const TDeviceException& e) {
            QVERIFY2(!opened, qPrintable(e.Message));
            QCOMPARE(e.Code, 4);
            QCOMPARE(e.Message, QStringLiteral("Несанкционированный доступ"));
        }
        QCOMPARE(meter.Bodies(), bodies);
        QCOMPARE(prompter.PasswordPrompts, prompts);
    }

    void otherRefusalEndsTheSessionAttempt()
    {
        TScriptedPrompter prompter;
        prompter.PasswordAnswers = QStringList{"x"};
        TSessionMeter meter;
        meter.SessionStatus = 7;
        try {
            meter.Device.OpenSession(15);
            QFAIL("opened");
        } catch (const TDeviceException& e) {
            QCOMPARE(e.Message, QStringLiteral("Устройство занято"));
        }
        QCOMPARE(meter.Bodies(), QList<QByteArray>{Attempt(0, kFactory)});
        QVERIFY(prompter.PasswordPrompts.isEmpty());
    }

    void closeSessionAcceptsItsEcho()
    {
        TSessionMeter meter;
        meter.Device.CloseSession();
        QCOMPARE(meter.Bodies(), QList<QByteArray>{Bytes({32, 0, 0})});
    }

    void changePassword_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dialogCancels");
        QTest::addColumn<QString>("dialogPassword");
        QTest::addColumn<int>("dialogLevel");
        QTest::addColumn<int>("writeStatus");
        QTest::addColumn<QList<QByteArray>>("bodies");
        const QByteArray close = Bytes({32, 0, 0});

        QTest::newRow("macro text") << "ab" << true << "" << 0 << 0
                                    << QList<QByteArray>{Attempt(0, kFactory), Bytes({16, 37, 0}, "ab      "), close};
        QTest::newRow("dialog cancelled") << "" << true << "" << 0 << 0 << QList<QByteArray>();
        QTest::newRow("dialog additional")
            << "" << false << "newpass1" << 1 << 0
            << QList<QByteArray>{Attempt(1, kFactory), Bytes({16, 37, 1}, "newpass1"), close};
        QTest::newRow("write refused: no close")
            << "abcdefghij" << true << "" << 0 << 4
            << QList<QByteArray>{Attempt(0, kFactory), Bytes({16, 37, 0}, "abcdefgh")};
    }

    void changePassword()
    {
        QFETCH(QString, text);
        QFETCH(bool, dialogCancels);
        QFETCH(QString, dialogPassword);
        QFETCH(int, dialogLevel);
        QFETCH(int, writeStatus);
        QFETCH(QList<QByteArray>, bodies);
        TScriptedPrompter prompter;
        prompter.NewPasswordCancels = dialogCancels;
        prompter.NewPassword = dialogPassword;
        prompter.NewPasswordLevel = dialogLevel;
        TSessionMeter meter;
        meter.WriteStatus = uint8_t(writeStatus);
        try {
            meter.Device.ChangePassword(text);
            QCOMPARE(writeStatus, 0);
        } catch (const TDeviceException& e) {
            QCOMPARE(e.Code, writeStatus);
        }
        QCOMPARE(meter.Bodies(), bodies);
        QVERIFY(prompter.PasswordPrompts.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestSession)
#include "tst_session.moc"
