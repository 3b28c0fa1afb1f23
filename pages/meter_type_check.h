#pragma once

class TDevice;

// Reads the meter type over an open connection and warns when the meter is
// not one of the supported single-phase types; meter and link errors propagate.
bool CheckMeterType(TDevice& device);

extern const char* const kUnsupportedMeterWarning;
