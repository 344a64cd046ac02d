#pragma once
// Fixed-width names of the platform's automation types. Every MIDL `long` is 32 bits.
#include <cstdint>

using BYTE = uint8_t;
using CHAR = char;
using WORD = uint16_t;
using USHORT = uint16_t;
using SHORT = int16_t;
using LONG = int32_t;
using ULONG = uint32_t;
using INT = int32_t;
using UINT = uint32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using FLOAT = float;
using DOUBLE = double;
using SCODE = int32_t;
using DWORD = uint32_t;
using BOOL = int32_t;
using VARIANT_BOOL = int16_t;
using LCID = uint32_t;
using DISPID = int32_t;
using VARTYPE = uint16_t;

// Interface methods use the platform's default calling convention here.
#define STDMETHODCALLTYPE

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;  // all bits set, as automation clients expect
