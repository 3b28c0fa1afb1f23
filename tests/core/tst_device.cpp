// The command layer against a scripted meter on a fake transport.
#include "common/wait_hook.h"
#include "connection/crc.h"
#include "device/device.h"
#include "device/device_exception.h"
#include "device/field_codecs.h"
#include "device/wait.h"
#include "support/fake_port.h"

#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Chosen so that the CRC after a one-character version text is a digit.
const uint8_t kAddr = 12;

using TCall = std::function<void(TDevice&)>;
// The meter's answer to one request body: [cmd][param][status][data...].
using TLogic = std::function<QByteArray(const QByteArray& body)>;

QByteArray Bytes(std::initializer_list<int> values, const char* text = "")
{
    QByteArray bytes;
    for (int v : values) bytes.append(char(v));
    return bytes + QByteArray(text);
}

QByteArray WithCrc(QByteArray frame)
{
    const uint16_t crc = Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

TLogic Answer(uint8_t status, const QByteArray& data = QByteArray())
{
    return [=](const QByteArray& body) { return body.left(2) + char(status) + data; };
}

// The request repeated byte for byte: how a meter confirms [30][op][0] and [32][0][0].
QByteArray EchoFrame(const QByteArray& frame) { return frame; }

struct TBench {
    TDevice Device;
    TFakePort* Port = nullptr;

    explicit TBench(const TLogic& logic)
    {
        auto port = std::make_unique<TFakePort>();
        Port = port.get();
        Port->Respond = [logic](const QByteArray& frame) {
            return WithCrc(char(kAddr) + logic(frame.mid(1, frame.size() - 3)));
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

class TRecordingWait : public IWaitWindow {
public:
    explicit TRecordingWait(bool* destroyed = nullptr) : Destroyed(destroyed) {}
    ~TRecordingWait() override { if (Destroyed) *Destroyed = true; }
    void SetStatusText(const QString& text) override { Texts.append(text); }
    QString StatusText() const override { return Texts.value(Texts.size() - 1); }
    bool Cancelled() const override { return false; }
    QStringList Texts;

private:
    bool* Destroyed;
};

// Runs the call and returns the meter error it raised (code -1: none).
TDeviceException Raised(const TCall& call, TDevice& device)
{
    try {
        call(device);
    } catch (const TDeviceException& e) {
        return e;
    }
    TDeviceException none(0);
    none.Code = -1;
    return none;
}

}  // namespace

Q_DECLARE_METATYPE(TCall)

class TestDevice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { SetCurrentWaitWindow(nullptr); }

    void requestShapes_data()
    {
        QTest::addColumn<TCall>("call");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<QString>("waitText");
        const QString reading = QStringLiteral("Чтение данных...");
        const QString writing = QStringLiteral("Запись данных...");
        static const uint8_t data[] = {0x01, 0x02, 0x03, 0x04};

        QTest::newRow("Read") << TCall([](TDevice& d) { d.Read(20); }) << Bytes({3, 20, 0, 0, 0}) << 0 << reading;
        QTest::newRow("ReadEx") << TCall([](TDevice& d) { d.ReadEx(7, 1, 2, 3, 700); }) << Bytes({3, 7, 1, 2, 3})
                                << 700 << reading;
        QTest::newRow("Read4") << TCall([](TDevice& d) { d.Read4(35); }) << Bytes({4, 35, 0, 0, 0}) << 0 << reading;
        QTest::newRow("Read4Ex") << TCall([](TDevice& d) { d.Read4Ex(46, 0, 0, 1); }) << Bytes({4, 46, 0, 0, 1})
                                 << 0 << reading;
        QTest::newRow("Request") << TCall([](TDevice& d) { d.Request(33, 1, 9, 8, 7, 50); })
                                 << Bytes({33, 1, 9, 8, 7}) << 50 << reading;
        QTest::newRow("RequestShort") << TCall([](TDevice& d) { d.RequestShort(33, 1, 0, 300); })
                                      << Bytes({33, 1, 0}) << 300 << reading;
        QTest::newRow("Write") << TCall([](TDevice& d) { d.Write(34, data, 2); }) << Bytes({16, 34, 0, 1, 2}) << 0
                               << writing;
        QTest::newRow("WriteEx") << TCall([](TDevice& d) { d.WriteEx(23, 2, data, 3, 900); })
                                 << Bytes({16, 23, 2, 1, 2, 3}) << 900 << writing;
        QTest::newRow("WriteRequest") << TCall([](TDevice& d) { d.WriteRequest(105, 0, 0x5A, data, 4); })
                                      << Bytes({105, 0, 0x5A, 1, 2, 3, 4}) << 0 << writing;
        QTest::newRow("Write nothing") << TCall([](TDevice& d) { d.WriteEx(37, 1, nullptr, 0); })
                                       << Bytes({16, 37, 1}) << 0 << writing;
        QTest::newRow("Service") << TCall([](TDevice& d) { d.Service(27, QStringLiteral("сезон"), 8000, 5); })
                                 << Bytes({30, 27, 5}) << 8000 << QStringLiteral("сезон");
    }

    void requestShapes()
    {
        QFETCH(TCall, call);
        QFETCH(QByteArray, body);
        QFETCH(int, timeout);
        QFETCH(QString, waitText);
        TBench bench(Answer(0, Bytes({0x55})));  // data keeps a reply from equalling its request
        TRecordingWait wait;
        SetCurrentWaitWindow(&wait);
        call(bench.Device);
        QCOMPARE(bench.Bodies(), QList<QByteArray>{body});
        QCOMPARE(bench.Port->ReceiveTimeouts, QList<int>{timeout});
        QCOMPARE(wait.Texts, QStringList{waitText});
    }

    void replyDataIsTheBytesAfterTheStatus()
    {
        TBench bench(Answer(0, "3.02"));
        const TReplyData data = bench.Device.Read(20);
        QCOMPARE(data.ToByteArray(), QByteArray("3.02"));
        QCOMPARE(data[4], uint8_t(0));  // a text reads as a zero-terminated string
        QCOMPARE(QByteArray(data.Text()), QByteArray("3.02"));

        TBench empty(Answer(0));
        QCOMPARE(empty.Device.WriteEx(22, 0, "A", 1).Size, 0);
    }

    void refusalBecomesMeterError_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("2") << Bytes({3, 20, 2}) << 2 << QStringLiteral("Параметр недоступен");
        QTest::newRow("7") << Bytes({3, 20, 7}) << 7 << QStringLiteral("Устройство занято");
        QTest::newRow("9 unknown") << Bytes({3, 20, 9}) << 9 << QStringLiteral("Нераспознанная ошибка");
        QTest::newRow("other parameter") << Bytes({3, 21, 0, 1}) << 8 << QStringLiteral("Ошибка обмена");
    }

    void refusalBecomesMeterError()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, code);
        QFETCH(QString, message);
        TBench bench([=](const QByteArray&) { return reply; });
        const TDeviceException e = Raised([](TDevice& d) { d.Read(20); }, bench.Device);
        QCOMPARE(e.Code, code);
        QCOMPARE(e.Message, message);
    }

    void errorMessages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const char* const texts[] = {
            "ОК", "Функция недоступна", "Параметр недоступен", "Аргумент недоступен",
            "Несанкционированный доступ", "Блок данных поврежден",
            "Запрашиваемая операция с EEPROM невыполнима", "Устройство занято", "Ошибка обмена",
        };
        for (int code = 0; code <= 8; ++code)
            QTest::addRow("%d", code) << code << QString::fromUtf8(texts[code]);
        const char* const linkTexts[] = {
            "Ошибка при конфигурировании порта", "Ошибка при открытии порта", "Ошибка при передаче",
            "Нет связи с прибором", "Ошибка CRC в принятом сообщении",
        };
        for (int code = 100; code <= 104; ++code)
            QTest::addRow("%d", code) << code << QString::fromUtf8(linkTexts[code - 100]);
        for (int code : {-1, 9, 99, 105, 255})
            QTest::addRow("%d", code) << code << QStringLiteral("Нераспознанная ошибка");
    }

    void errorMessages()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        const TDeviceException e(code);
        QCOMPARE(e.Code, code);
        QCOMPARE(e.Message, message);
    }

    void okIsCyrillic() { QCOMPARE(DeviceErrorMessage(0), QString(QChar(0x041E)) + QChar(0x041A)); }

    void linkErrorsPassUnchanged()
    {
        TBench bench(Answer(0));
        bench.Port->Respond = [](const QByteArray&) { return QByteArray(); };
        try {
            bench.Device.Read(20);
            QFAIL("no error");
        } catch (const TDeviceException& e) {
            QFAIL(qPrintable(e.Message));
        } catch (const TError& e) {
            QCOMPARE(e.Message, QStringLiteral("Нет связи с электросчетчиком"));
        }
    }

    void oversizedWriteIsRefusedUnsent()
    {
        TBench bench(Answer(0));
        const QByteArray data(253, 'x');
        try {
            bench.Device.WriteEx(69, 1, data.constData(), int(data.size()));
            QFAIL("no error");
        } catch (const TError& e) {
            QCOMPARE(e.Message, QStringLiteral("Ошибка при передаче"));
        }
        QVERIFY(bench.Port->Sent.isEmpty());
    }

    void meterType_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("type");
        const int known[][2] = {{257, 1}, {258, 2}, {259, 3}, {260, 4}, {262, 5}, {263, 6}, {3, 7}, {261, 100}};
        for (const auto& row : known)
            QTest::addRow("%d", row[0]) << Bytes({3, 0, 0, row[0] & 0xFF, row[0] >> 8}) << row[1];
        QTest::newRow("not available") << Bytes({3, 0, 2}) << 100;
        QTest::newRow("one byte") << Bytes({3, 0, 0, 3}) << 100;
    }

    void meterType()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, type);
        TBench bench([=](const QByteArray&) { return reply; });
        QCOMPARE(bench.Device.GetMeterType(), type);
        QCOMPARE(bench.Bodies(), QList<QByteArray>{Bytes({3, 0, 0, 0, 0})});
    }

    void meterTypeAccessDenied()
    {
        TBench bench(Answer(4));
        const TDeviceException e = Raised([](TDevice& d) { d.GetMeterType(); }, bench.Device);
        QCOMPARE(e.Code, 4);
        QCOMPARE(e.Message, QStringLiteral("Несанкционированный доступ"));
    }

    void softVersion_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("version");
        QTest::newRow("3.02") << QByteArray("3.02") << 302;
        QTest::newRow("1.15") << QByteArray("1.15") << 115;
        QTest::newRow("V1.2") << QByteArray("V1.2") << 12;
        QTest::newRow("10.5") << QByteArray("10.5") << 105;
        QTest::newRow("5.123") << QByteArray("5.123") << 512;
        // The CRC byte after this reply is '5': it must not count.
        QTest::newRow("7") << QByteArray("7") << 7;
    }

    void softVersion()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, version);
        TBench bench(Answer(0, text));
        QCOMPARE(bench.Device.GetSoftVersion(), version);
        QCOMPARE(bench.Bodies(), QList<QByteArray>{Bytes({3, 20, 0, 0, 0})});
    }

    void checkByte_data()
    {
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<int>("check");  // -1: refused as a broken reply
        QTest::newRow("0123456789") << QByteArray("0123456789") << 117;
        QTest::newRow("0001234567") << QByteArray("0001234567") << 136;
        QTest::newRow("only ten count") << QByteArray("0001234567ZZ") << 136;
        QTest::newRow("short") << QByteArray("000123456") << -1;
    }

    void checkByte()
    {
        QFETCH(QByteArray, serial);
        QFETCH(int, check);
        TBench bench(Answer(0, serial));
        if (check < 0) {
            const TDeviceException e = Raised([](TDevice& d) { d.ReadCheckByte(); }, bench.Device);
            QCOMPARE(e.Message, QStringLiteral("Ошибка обмена"));
        } else {
            QCOMPARE(int(bench.Device.ReadCheckByte()), check);
        }
        QCOMPARE(bench.Bodies(), QList<QByteArray>{Bytes({3, 18, 0, 0, 0})});
    }

    void checkByteCrc() { QCOMPARE(Crc8(reinterpret_cast<const uint8_t*>("123456789"), 9), uint8_t(0xA1)); }

    void clearArchivesRunsEveryStep()
    {
        TBench bench(Answer(0));
        bench.Port->Respond = EchoFrame;
        TRecordingWait wait;
        SetCurrentWaitWindow(&wait);
        bench.Device.ClearArchives();
        QCOMPARE(bench.Bodies(), (QList<QByteArray>{Bytes({30, 1, 0}), Bytes({30, 4, 0}), Bytes({30, 3, 0}),
                                                     Bytes({30, 2, 0}), Bytes({30, 36, 0}), Bytes({30, 7, 0})}));
        QCOMPARE(bench.Port->ReceiveTimeouts, (QList<int>{5000, 5000, 5000, 15000, 50000, 10000}));
        QCOMPARE(wait.Texts, (QStringList{
                                 QStringLiteral("Обнуление суммарной энергии"),
                                 QStringLiteral("Обнуление годовых приращений"),
                                 QStringLiteral("Обнуление месячных приращений"),
                                 QStringLiteral("Обнуление суточных приращений"),
                                 QStringLiteral("Обнуление срезов"),
                                 QStringLiteral("Обнуление месячных максимумов"),
                             }));
    }

    void clearArchivesStopsAtFirstRefusal()
    {
        TBench bench([](const QByteArray& body) { return body.left(2) + char(body[1] == 4 ? 1 : 0); });
        const TDeviceException e = Raised([](TDevice& d) { d.ClearArchives(); }, bench.Device);
        QCOMPARE(e.Message, QStringLiteral("Функция недоступна"));
        QCOMPARE(bench.Bodies(), (QList<QByteArray>{Bytes({30, 1, 0}), Bytes({30, 4, 0})}));
    }

    void disconnectClosesThePort()
    {
        TBench bench(Answer(0));
        TRecordingWait wait;
        SetCurrentWaitWindow(&wait);
        bench.Device.Disconnect();
        QCOMPARE(bench.Port->Closes, 1);
        QCOMPARE(wait.Texts, QStringList{QStringLiteral("Разрыв связи...")});
    }

    void waitScope()
    {
        bool destroyed[2] = {false, false};
        int made = 0;
        SetWaitWindowFactory([&]() -> IWaitWindow* { return new TRecordingWait(&destroyed[made++]); });
        {
            TWait outer;
            IWaitWindow* first = CurrentWaitWindow();
            QVERIFY(first);
            {
                TWait inner;
                QVERIFY(CurrentWaitWindow() != first);
            }
            QVERIFY(destroyed[1]);
            QCOMPARE(CurrentWaitWindow(), first);
        }
        QVERIFY(destroyed[0]);
        QCOMPARE(CurrentWaitWindow(), nullptr);

        SetWaitWindowFactory(nullptr);
        {
            TWait none;
            QCOMPARE(CurrentWaitWindow(), nullptr);
        }
    }

    void decodeDateTime_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QDateTime>("value");
        auto at = [](int y, int mo, int d, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); };
        QTest::newRow("plain") << Bytes({9, 7, 13, 5, 3, 24}) << at(2024, 3, 5, 13, 7, 9);
        QTest::newRow("zero day and month") << Bytes({0, 0, 0, 0, 0, 24}) << at(2024, 1, 1, 0, 0, 0);
        QTest::newRow("hour 25") << Bytes({0, 0, 25, 1, 1, 24}) << at(2024, 1, 1, 0, 0, 0);
        QTest::newRow("minute 60") << Bytes({5, 60, 10, 7, 8, 24}) << at(2024, 8, 7, 0, 0, 0);
        QTest::newRow("30 February") << Bytes({1, 30, 12, 30, 2, 23}) << at(2000, 1, 1, 12, 30, 1);
        QTest::newRow("month 13") << Bytes({0, 0, 1, 1, 13, 23}) << at(2000, 1, 1, 1, 0, 0);
        QTest::newRow("year byte 255") << Bytes({59, 59, 23, 31, 12, 255}) << at(2255, 12, 31, 23, 59, 59);
    }

    void decodeDateTime()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QDateTime, value);
        QCOMPARE(DecodeDateTime(reinterpret_cast<const uint8_t*>(bytes.constData())), value);
    }

    void encodeDateTime_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("milliseconds dropped") << QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9, 500))
                                              << Bytes({9, 7, 13, 5, 3, 24});
        QTest::newRow("1999 wraps") << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))
                                    << Bytes({58, 59, 23, 31, 12, 255});
        QTest::newRow("2300 wraps") << QDateTime(QDate(2300, 1, 2), QTime(0, 0, 0)) << Bytes({0, 0, 0, 2, 1, 44});
    }

    void encodeDateTime()
    {
        QFETCH(QDateTime, value);
        QFETCH(QByteArray, bytes);
        uint8_t out[kDateTimeSize] = {};
        EncodeDateTime(value, out);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), kDateTimeSize), bytes);
    }

    void littleEndianFields()
    {
        const uint8_t raw[] = {0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F};
        QCOMPARE(GetUInt16(raw), uint16_t(0x5678));
        QCOMPARE(GetUInt32(raw), uint32_t(0x12345678));
        QCOMPARE(GetInt32(raw + 4), -2);
        QCOMPARE(GetFloat(raw + 8), 1.5f);

        uint8_t out[4] = {};
        PutUInt16(out, 0xBEEF);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), 2), Bytes({0xEF, 0xBE}));
        PutUInt32(out, 0x12345678);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), 4), Bytes({0x78, 0x56, 0x34, 0x12}));
        PutFloat(out, -2.25f);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(out), 4), Bytes({0x00, 0x00, 0x10, 0xC0}));
    }

    void padRight_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("padded");
        QTest::newRow("short") << "abc" << 8 << "abc     ";
        QTest::newRow("long") << "0123456789" << 8 << "01234567";
        QTest::newRow("exact") << "24681357" << 8 << "24681357";
        QTest::newRow("empty") << "" << 3 << "   ";
    }

    void padRight()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, padded);
        QCOMPARE(PadRight(text, width), padded);
    }
};

QTEST_APPLESS_MAIN(TestDevice)
#include "tst_device.moc"
