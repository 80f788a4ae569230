#pragma once
// The class of the Excel stand-in, as the test prefix registers it under the
// ProgID "Excel.Application", and the interface by which it knows its own
// objects when a caller hands one back as an argument.

#include <windows.h>

// {7AA551ED-9F02-44BF-8255-02AD6E839516}
inline constexpr CLSID CLSID_StandIn = {
    0x7aa551ed, 0x9f02, 0x44bf, {0x82, 0x55, 0x02, 0xad, 0x6e, 0x83, 0x95, 0x16}};
inline constexpr const wchar_t* standInClassText = L"{7AA551ED-9F02-44BF-8255-02AD6E839516}";

// The stand-in's control object, through which the tests script it, in the
// running object table beside the Application.
// {3C1E5B2A-6F47-4D8E-9B1A-7E2C4D5F6A81}
inline constexpr CLSID CLSID_StandInControl = {
    0x3c1e5b2a, 0x6f47, 0x4d8e, {0x9b, 0x1a, 0x7e, 0x2c, 0x4d, 0x5f, 0x6a, 0x81}};

// {F0AD1CEB-8313-41D5-A420-0DD1511266ED}
inline constexpr IID IID_StandInObject = {
    0xf0ad1ceb, 0x8313, 0x41d5, {0xa4, 0x20, 0x0d, 0xd1, 0x51, 0x12, 0x66, 0xed}};
