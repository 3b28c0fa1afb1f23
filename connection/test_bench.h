#pragma once
#include <QString>

// A connection named "CLOU_" + place (longer than 5 characters) asks the
// bench program to switch its shared line to that place before connecting.
// *place receives the decimal digits after the prefix (0 when there are none).
bool IsTestBenchName(const QString& name, int* place);

// Asks the bench program to connect the given place; raises its refusal.
// The program listens on a local socket named after its control window's
// title; it gets the place as a decimal line and answers with one.
void SwitchTestBench(int place);
