#pragma once

// What the mouse's DPI slider and edit box show: the sensor takes an index, the user sees a DPI
// number. The mapping depends on the sensor; the generic one uses the DPI step (information
// byte 11) and base (bytes 14-15) the mouse reports. Divisions truncate toward zero.

#include <cstdint>

namespace q840::protocol {

constexpr int kDpiEditMax = 10000;  // the edit boxes accept 0 to 10 000
constexpr int kDpiSlider8925Max = 149;
// The top index of sensor 0x3104 when its information record names none (bytes 12-13 below 11):
// 8000 DPI.
constexpr int kDpi3104DefaultTopIndex = 104;

// The DPI number index `index` stands for. `topIndex` is the highest index of sensor 0x3104, the
// slider maximum its record names (DpiSliderMaximum); 0 or less takes kDpi3104DefaultTopIndex.
// Higher indexes show the top index's number.
int DpiIndexToNumber(uint16_t sensor, int step, int base, int index, int topIndex = 0);
// The index to store for a typed DPI number. Never negative, and on 0x3104 never above the top
// index; a sensor with a DPI step of 0 (a record that was never read) gives 0.
int DpiNumberToIndex(uint16_t sensor, int step, int base, int number, int topIndex = 0);

// The slider maximum after an identity read: 149 for 0x8925, (information bytes 12-13) - 10 for
// 0x3104 (never below 0), -1 for sensors whose slider keeps the layout's range.
int DpiSliderMaximum(uint16_t sensor, int sliderMaxPlus10);

// Whether DPI values are written for this sensor: only 0x8925 and 0x3104 take an index in the
// form the settings block carries (DpiStage::SetIndex); other sensors keep what they hold.
bool DpiValuesWritable(uint16_t sensor);

}  // namespace q840::protocol
