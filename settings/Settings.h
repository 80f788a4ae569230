#pragma once
// The program's settings keys and their defaults.
//
// A first-run default is stored when no settings file could be loaded. A
// fallback is what a reader stores, and then uses, when a loaded file lacks
// the key; some keys fall back differently depending on who reads them: the
// measurement writes every column a file does not mention, the output
// information dialog shows such columns as off.

#include "PropertyFile.h"

#include <array>
#include <string>

namespace tonvale {

namespace key {
inline constexpr const char* mesNum = "Mes_Num";
inline constexpr const char* nameDefault = "Name_Default";
inline constexpr const char* chkAutoNaming = "Chk_AutoNaming";
inline constexpr const char* chkRemote = "Chk_Remote";
inline constexpr const char* dataType = "Data_Type";
inline constexpr const char* illuminant = "Illuminant";
inline constexpr const char* observer = "Observer";
inline constexpr const char* chkNumber = "Chk_Number";
inline constexpr const char* chkName = "Chk_Name";
inline constexpr const char* chkDateTime = "Chk_DateTime";
inline constexpr const char* chkMask = "Chk_Mask";
inline constexpr const char* chkGloss = "Chk_Gloss";
inline constexpr const char* chkComment = "Chk_Comment";
inline constexpr const char* gloss = "Gloss";
inline constexpr const char* posLeftMain = "PosLeft_Main";
inline constexpr const char* posTopMain = "PosTop_Main";
inline constexpr const char* posRightMain = "PosRight_Main";
inline constexpr const char* posBottomMain = "PosBottom_Main";
inline constexpr const char* portName = "Port_Name";
// 0 keeps no journal of the measurements.
inline constexpr const char* journal = "Journal";
// The colour view: 1 when it was open at the last exit, and its place.
inline constexpr const char* showColourView = "Show_ColourView";
inline constexpr const char* posLeftColourView = "PosLeft_ColourView";
inline constexpr const char* posTopColourView = "PosTop_ColourView";
} // namespace key

// The output switches in the order of the output columns.
inline constexpr std::array<const char*, 6> outputSwitchKeys{
    key::chkNumber, key::chkName, key::chkDateTime, key::chkMask, key::chkGloss, key::chkComment};

inline constexpr int firstMesNum = 1;
inline constexpr int lastMesNum = 99999;
inline constexpr std::size_t nameDefaultMaxChars = 30;

namespace firstRun {
inline constexpr int mesNum = firstMesNum;
inline constexpr const char* nameDefault = "Sample";
inline constexpr int chkAutoNaming = 0;
inline constexpr int chkRemote = 0;
inline constexpr int dataType = 1;
inline constexpr int illuminant = 0;
inline constexpr int observer = 0;
// Output switches, in the order of outputSwitchKeys.
inline constexpr std::array<int, 6> switches{0, 1, 1, 0, 0, 0};
} // namespace firstRun

namespace fallback {
inline constexpr int mesNum = firstMesNum;
inline constexpr const char* nameDefault = "Sample";
inline constexpr int chkAutoNaming = 0;
inline constexpr int chkRemote = 0;
inline constexpr int dataType = 0;
inline constexpr int illuminant = 0;
inline constexpr int observer = 0;
// "Gloss" as the measurement reads it; the conditions dialog falls back to
// the instrument's reported mode instead.
inline constexpr int glossInMeasure = 0;
inline constexpr int journal = 1;
// Output switches, in the order of outputSwitchKeys.
inline constexpr std::array<int, 6> switchesInMeasure{1, 1, 1, 1, 1, 1};
inline constexpr std::array<int, 6> switchesInOutputInfo{0, 1, 1, 0, 0, 0};
} // namespace fallback

// Stores the first-run defaults above; nothing else is stored ("Gloss", the
// window edges and the port name come later).
void storeFirstRunDefaults(PropertyFile& store);

// The value of key; when the store lacks it, fallback is stored first.
int readInt(PropertyFile& store, const std::string& key, int fallback);
std::string readString(PropertyFile& store, const std::string& key, const std::string& fallback);

} // namespace tonvale
