#pragma once
#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for a serial line: the code under test
// opens SlavePath() like a serial device, the test plays the far end on the
// master. Both sides are raw. The pair keeps a slave descriptor of its own,
// so the line does not hang up while the port under test is closed.
class TPtyPair {
public:
    TPtyPair();
    ~TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    bool IsOpen() const { return Master >= 0; }
    int MasterFd() const { return Master; }
    QString SlavePath() const { return Path; }

    // What arrives at the master within timeoutMs of the first byte's wait,
    // then whatever else is ready at once; empty on time-out.
    QByteArray Read(int timeoutMs, int max = 4096);
    // Exactly count bytes unless timeoutMs runs out first.
    QByteArray ReadExactly(int count, int timeoutMs);
    // Whatever is ready now, without waiting.
    QByteArray ReadAvailable() { return Read(0); }
    bool Write(const QByteArray& bytes);

private:
    int Master = -1;
    int Slave = -1;
    QString Path;
};
