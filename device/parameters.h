#pragma once
#include <cstdint>

// Command codes of the meter protocol.
constexpr uint8_t kCmdRead = 3;
constexpr uint8_t kCmdRead4 = 4;           // parameters of the second kind (35, 46)
constexpr uint8_t kCmdWrite = 16;
constexpr uint8_t kCmdService = 30;
constexpr uint8_t kCmdOpenSession = 31;
constexpr uint8_t kCmdCloseSession = 32;
constexpr uint8_t kCmdLedOutput = 33;      // read [33][1][0], write [33][1][1][mode][flags]
constexpr uint8_t kCmdBatteryLife = 105;   // [105][0][check byte][4 data bytes]

// Parameter numbers. The same number can mean different things under
// different commands (0 and 1).
constexpr uint8_t kPrmMeterType = 0;
constexpr uint8_t kPrmBatteryLife = 0;         // command 105
constexpr uint8_t kPrmEnergy = 1;              // since reset
constexpr uint8_t kPrmLedOutput = 1;           // command 33
constexpr uint8_t kPrmEnergyDay = 2;           // increments over the day
constexpr uint8_t kPrmEnergyMonth = 3;
constexpr uint8_t kPrmEnergyYear = 4;
constexpr uint8_t kPrmPower3Min = 5;
constexpr uint8_t kPrmPowerInterval = 6;
constexpr uint8_t kPrmPowerMaximum = 7;
constexpr uint8_t kPrmNetStateArchive = 14;
constexpr uint8_t kPrmErrorArchive = 15;
constexpr uint8_t kPrmCorrectionArchive = 16;
constexpr uint8_t kPrmMeterTypeText = 17;
constexpr uint8_t kPrmSerialNumber = 18;
constexpr uint8_t kPrmManufactureDate = 19;
constexpr uint8_t kPrmSoftVersion = 20;
constexpr uint8_t kPrmNetAddress = 21;
constexpr uint8_t kPrmUserId = 22;
constexpr uint8_t kPrmInterfaceSettings = 23;
constexpr uint8_t kPrmPulseConstant = 24;
constexpr uint8_t kPrmSummerStart = 27;
constexpr uint8_t kPrmWinterStart = 28;
constexpr uint8_t kPrmHolidays = 29;
constexpr uint8_t kPrmWorkdayMasks = 30;
constexpr uint8_t kPrmWeekendMasks = 31;
constexpr uint8_t kPrmDateTime = 32;
constexpr uint8_t kPrmMeterState = 33;         // quadrant, tariff, season, battery
constexpr uint8_t kPrmDisplayFormat = 34;
constexpr uint8_t kPrmDisplaySettings = 35;    // command 4
constexpr uint8_t kPrmLoadProfileRecord = 36;
constexpr uint8_t kPrmPassword = 37;           // write index = password level
constexpr uint8_t kPrmLoadProfileBlock = 40;   // six consecutive records
constexpr uint8_t kPrmAveraging = 41;
constexpr uint8_t kPrmEnergyDayStart = 42;
constexpr uint8_t kPrmEnergyMonthStart = 43;
constexpr uint8_t kPrmEnergyYearStart = 44;
constexpr uint8_t kPrmInstantValues = 46;      // command 4
constexpr uint8_t kPrmEnergyLimits = 53;
constexpr uint8_t kPrmSeasonDays = 54;
constexpr uint8_t kPrmReserveSwitch = 55;
constexpr uint8_t kPrmLoadControl = 67;
constexpr uint8_t kPrmExtModule = 68;
constexpr uint8_t kPrmExtModuleBlocks = 69;
// Meters with software versions 500 to 599 keep their calendar and main
// schedule under these numbers.
constexpr uint8_t kPrmHolidays5xx = 70;
constexpr uint8_t kPrmSeasonCalendar5xx = 71;
constexpr uint8_t kPrmWorkdayMasks5xx = 72;
constexpr uint8_t kPrmWeekendMasks5xx = 73;

// Service operations (command 30).
constexpr uint8_t kOpClearTotalEnergy = 1;
constexpr uint8_t kOpClearDayIncrements = 2;
constexpr uint8_t kOpClearMonthIncrements = 3;
constexpr uint8_t kOpClearYearIncrements = 4;
constexpr uint8_t kOpClearMonthMaxima = 7;
constexpr uint8_t kOpClearSummerStart = 27;    // also restores the automatic season switch
constexpr uint8_t kOpClearWinterStart = 28;
constexpr uint8_t kOpClearLoadProfile = 36;

// Password levels of a session.
constexpr uint8_t kLevelMain = 0;
constexpr uint8_t kLevelAdditional = 1;
