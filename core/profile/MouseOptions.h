#pragma once

// What the mouse's report, sensor, debounce and sleep values mean, as the mouse page offers them
// (its layout skin/XML/DeviceXml/mouse_dpi.xml and mouse_power.xml carries the same choices; a
// test keeps the two in step). The profile and the settings block hold the raw values: an option
// index, or for the sleep times the number of minutes itself.

#include <array>

namespace q840::profile {

// "ReportStages"."StageActive": option index -> reports per second.
inline constexpr std::array<int, 4> kReportRatesHz = {125, 250, 500, 1000};
// "key_debounce_time": option index -> milliseconds.
inline constexpr std::array<int, 6> kDebounceMs = {2, 4, 6, 8, 10, 12};
// "ble_sleep1" / "device_sleep1": minutes without use before the lights go off.
inline constexpr std::array<int, 4> kLightsOffMinutes = {1, 2, 3, 5};
// "ble_sleep2" / "device_sleep2": minutes without use before the mouse sleeps.
inline constexpr std::array<int, 4> kSleepMinutes = {10, 20, 30, 60};
// "SilentAltitude": option 0 low (1 mm), 1 high (2 mm).
inline constexpr std::array<int, 2> kLiftOffMm = {1, 2};
// "Linear_Calibration", "Ripple": option 0 off, 1 on.
inline constexpr int kTwoWayOptions = 2;

}  // namespace q840::profile
