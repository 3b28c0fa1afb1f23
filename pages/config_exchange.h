#pragma once
#include "pages/display_format.h"

#include <QSet>
#include <functional>

class TConfigRows;
class TDevice;

// What the configuration page exchanges with the meter: which parameters
// fill which rows, and what a write sends in which order under which session.
// Works on whatever rows the list has; absent rows are skipped as the row
// helpers of TConfigRows define.
class TConfigExchange {
public:
    // Session levels of EnsureSession.
    static constexpr int kMainSession = 4;  // main password
    static constexpr int kAnySession = 8;   // main or additional password

    TConfigExchange(TDevice& device, TConfigRows& rows) : Device(device), Rows(rows) {}

    // Empties every row, then fills the rows parameter by parameter; a
    // failure leaves the rows read so far filled.
    void Read();
    // Writes what differs from the meter, then closes the session; the first
    // error stops it (no close). A display format the meter refuses with
    // status 2 goes to rejectDisplayFormat.
    void Write(const std::function<void(const DisplayFormat&)>& rejectDisplayFormat);
    void EnsureSession(int level);

    QSet<int> OpenedLevels;

private:
    QByteArray ReadRecord(uint8_t param, int size);
    void WriteUserId();
    void WritePulseConstant();
    void WriteDisplayFormat(const std::function<void(const DisplayFormat&)>& rejectDisplayFormat);
    void WriteInterfaceSettings();
    void WriteNetAddress();
    int GetRowIntIn(const char* caption, int low, int high) const;

    TDevice& Device;
    TConfigRows& Rows;
};

// "Неправильно задан формат отображения"
extern const char* const kBadDisplayFormat;
