#pragma once
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>

struct TSimMeterOption {
    QString Serial;
    uint8_t Address = 1;
};

// Faults of the line and of the meters' answers.
struct TSimFaults {
    bool Echo = false;
    int BadCrcEvery = 0;     // 0: off; N: every Nth reply
    int Drop = 0;            // bytes cut from each reply
    bool DropMiddle = false; // cut from the middle instead of the end
    int DelayMs = 0;
    int SplitPieces = 1;
    int SplitGapMs = 10;
    bool Silent = false;
};

struct TSimModemOptions {
    bool Enabled = false;
    QString DialAnswer = "CONNECT 9600";
    int DropAfter = 0;       // 0: never; N: carrier lost in the Nth reply
};

struct TSimOptions {
    bool Help = false;
    QList<TSimMeterOption> Meters;
    QString StateFile;
    bool Tcp = false;
    QString TcpHost = "127.0.0.1";
    int TcpPort = 10001;
    QString PtyPath;
    TSimFaults Faults;
    QList<QPair<int, uint8_t>> ForcedStatus;  // parameter, status
    int TypeCode = -1;                        // -1: the meter's own
    QString Version;                          // empty: the meter's own
    QDateTime Clock;                          // invalid: the meter clock runs
    int ModuleKind = -1;                      // -1: as saved
    int ModuleInstalled = -1;                 // -1: the same kind
    bool ProfileSet = false;
    bool ProfileFifteenMinutes = false;
    bool ProfileSingleValue = false;
    QList<QPair<int, uint16_t>> StateWords;   // archive parameter, status word
    bool Collide = false;
    TSimModemOptions Modem;
    QString BenchTitle;
    bool BenchAnswerSet = false;
    int BenchAnswer = 0;
};

// Throws TError with the text for stderr on any bad or unknown switch.
TSimOptions ParseSimOptions(const QStringList& args);

extern const char* const kSimUsage;
