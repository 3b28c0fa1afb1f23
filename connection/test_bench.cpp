#include "connection/test_bench.h"

#include "common/app_paths.h"
#include "common/error.h"
#include "common/my_ini_file.h"
#include "common/wait_hook.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <memory>

namespace {

const char* const kPrefix = "CLOU_";
const char* const kDefaultTitles[] = {"Калибровка электросчетчиков", "Поверка электросчетчиков"};
const char* const kNotFound = "Не найдена программа CHECK.EXE управления CLOU";
const char* const kNoDirectControl =
    "Не открыто окно прямого управления стендом в программе CHECK.EXE управления CLOU";
const char* const kProgramSuffix = " в программе CHECK.EXE управления CLOU";
const char* const kWrongPlace = "Неверный номер места ";
const char* const kPlaceFailed = "Ошибка установки места ";
const char* const kUndetermined = "Неопределенная ошибка установки места ";
const int kNoAnswer = -1;

[[noreturn]] void RaiseCancelled() { throw TError(QString::fromUtf8(kCancelledMessage)); }

std::unique_ptr<QLocalSocket> ConnectTo(const QString& name, qint64 limitMs)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(name);
    QElapsedTimer clock;
    clock.start();
    while (socket->state() == QLocalSocket::ConnectingState && clock.elapsed() < limitMs) {
        socket->waitForConnected(1);
        if (CheckCancel()) RaiseCancelled();
    }
    if (socket->state() != QLocalSocket::ConnectedState) return nullptr;
    return socket;
}

// The program's answer, kNoAnswer when none came in time or the line is no number.
int Ask(QLocalSocket& socket, int place, qint64 limitMs)
{
    QElapsedTimer clock;
    clock.start();
    socket.write(QByteArray::number(place) + '\n');
    while (!socket.canReadLine()) {
        if (clock.elapsed() >= limitMs || socket.state() != QLocalSocket::ConnectedState) return kNoAnswer;
        if (socket.bytesToWrite() > 0) socket.waitForBytesWritten(1);
        else socket.waitForReadyRead(1);
        if (CheckCancel()) RaiseCancelled();
    }
    bool ok = false;
    const int answer = socket.readLine().trimmed().toInt(&ok);
    return ok ? answer : kNoAnswer;
}

QString PlaceMessage(const char* head, int place)
{
    return QString::fromUtf8(head) + QString::number(place) + QString::fromUtf8(kProgramSuffix);
}

}  // namespace

bool IsTestBenchName(const QString& name, int* place)
{
    if (name.size() <= 5 || !name.startsWith(QLatin1String(kPrefix))) return false;
    int end = 5;
    while (end < name.size() && name[end].isDigit() && name[end].unicode() < 128) ++end;
    bool ok = false;
    const int value = name.mid(5, end - 5).toInt(&ok);
    *place = ok ? value : 0;
    return true;
}

void SwitchTestBench(int place)
{
    const TMyIniFile ini(SettingsFilePath());
    const QString title = ini.ReadString(QStringLiteral("common"), QStringLiteral("clou_title"), QString());
    const qint64 limitMs = qint64(ini.ReadInteger(QStringLiteral("common"), QStringLiteral("clou_timeout"), 5)) * 1000;
    QStringList titles(title);
    if (title.isEmpty()) {
        titles.clear();
        for (const char* t : kDefaultTitles) titles.append(QString::fromUtf8(t));
    }

    std::unique_ptr<QLocalSocket> socket;
    for (const QString& t : titles) {
        socket = ConnectTo(t, limitMs);
        if (socket) break;
    }
    if (!socket) throw TError(QString::fromUtf8(kNotFound));

    const int answer = Ask(*socket, place, limitMs);
    if (answer == place) return;
    switch (answer) {
    case 0: throw TError(QString::fromUtf8(kNoDirectControl));
    case -1: throw TError(PlaceMessage(kWrongPlace, place));
    case -2: throw TError(PlaceMessage(kPlaceFailed, place));
    default: throw TError(PlaceMessage(kUndetermined, place));
    }
}
