// Every line the front panel sends to the meter, in one place. Case matters to the meter's
// parser as it stands in the field, so each text is sent exactly as written here.
#pragma once

namespace Commands {

inline constexpr char kEmpty[] = "";
inline constexpr char kIdentify[] = "*IDN?";
inline constexpr char kBusTrigger[] = ":TRIG:SOUR BUS";
inline constexpr char kClearStatusBeforeTrigger[] = "*cls";
inline constexpr char kTrigger[] = "*TRG";
inline constexpr char kDryCircuit[] = ":SOUR:DRY ";
inline constexpr char kDrive[] = ":SOUR:DRIV ";
inline constexpr char kAutoRangeOn[] = ":SENS:RANG:AUTO 1";
inline constexpr char kAutoRangeOff[] = ":SENS:RANG:AUTO 0";
inline constexpr char kRange[] = ":SENS:RANG ";
inline constexpr char kSpeed[] = ":SENS:SPEED ";
inline constexpr char kTriggerDelay[] = ":TRIG:DEL ";
inline constexpr char kAverageCount[] = ":Sens:AVER:COUN ";
inline constexpr char kClearStatus[] = "*CLS";

// The exact reading the meter gives when the resistance is beyond its range.
inline constexpr char kOverRangeReply[] = "0.000000e+00";

} // namespace Commands
