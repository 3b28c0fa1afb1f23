#pragma once
#include <QMap>
#include <QString>
#include <QStringList>

// Serial ports are known to the user by a number n shown as "COM" + n, kept
// for good per device: the settings file section "ports" maps them
// ("COM3=/dev/ttyUSB0"), /dev/ttyS<k> is COM(k+1) unless mapped otherwise.

// The device path of port number n.
QString ComDevicePath(int portNo);

// "COM" + n of every port that exists, ascending; a device seen for the first
// time gets the lowest free number, which is written to the settings file.
QStringList EnumerateComPorts();

// Numbers the present devices given the stored mapping (number -> path).
// Returns number -> path of every present device; *added receives the new
// mappings to store.
QMap<int, QString> NumberComDevices(const QMap<int, QString>& mapped, const QStringList& devices,
                                    QMap<int, QString>* added);
