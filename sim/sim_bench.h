#pragma once
#include <QObject>
#include <QString>
#include <optional>

class QLocalServer;

// Stand-in for the test bench's control program: asked for a place number,
// it answers the place (switched) or a fixed answer.
class TSimBench : public QObject {
    Q_OBJECT
public:
    TSimBench(std::optional<int> answer, QObject* parent = nullptr);
    // Throws TError when the server cannot listen; returns the "listening" line.
    QString Listen(const QString& title);

private:
    void Accept();

    std::optional<int> Answer;
    QLocalServer* Server;
};
