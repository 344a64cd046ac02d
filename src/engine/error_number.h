#pragma once
// The one table of error numbers the whole system reports. The component turns a number into
// the HRESULT-style code a client sees with ErrorCode; everything below the component passes
// the number around as a value.
#include <cstdint>

enum class ErrorNumber : int32_t {
  None = 0,
  ParameterCheck = 1,
  Settings = 2,
  StartPositionOrOffsets = 3,
  ProbeNotAtStart = 4,
  ExtendedStatus = 5,
  StoredMapUnusable = 6,
  NoData = 7,
  Unused8 = 8,
  NoStoredMap = 9,
  IllegalParameter = 10,
  ProbeHitDuringMove = 11,
  MeasuringDatumLost = 12,
  ExtendedStatusBit40 = 13,
  RunDirectory = 14,
};

// Error numbers 1..14 map to 0x83100000 + n; 0 means success and stays 0. Any other number is
// passed through unchanged so a code that is already a full status value survives the trip.
constexpr uint32_t ErrorCode(int32_t number) {
  if (number == 0) {
    return 0u;
  }
  if (number >= 1 && number <= 14) {
    return 0x83100000u + static_cast<uint32_t>(number);
  }
  return static_cast<uint32_t>(number);
}

constexpr uint32_t ErrorCode(ErrorNumber number) {
  return ErrorCode(static_cast<int32_t>(number));
}
