#pragma once
#include <QString>

// Where Vexa keeps its own files ("vexa.cfg", "sn_save.cfg", "LIST_SN"):
// the folder named by VEXA_HOME when set; else the folder of the executable
// when it is writable; else the user's configuration folder for Vexa.
QString AppDataFolder();
QString SettingsBasePath();   // folder + "vexa"
QString SettingsFilePath();   // folder + "vexa.cfg"
