#include "StatusLine.h"

#include "DataType.h"

namespace tonvale {
namespace {

std::string calibrationText(int state)
{
    switch (state) {
    case 0: return "未校正";
    case 1: return "白色校正未実施";
    case 2: return "校正済み";
    default: return "校正状態未確認";
    }
}

std::string conditionsText(int both, int area)
{
    if (both < 0 || area < 0)
        return "測定条件未確認";
    const std::string component = both == 1 ? "SCI+SCE" : "SCI";
    if (area == 0)
        return component + "  MAV (8mm)";
    if (area == 1)
        return component + "  SAV (3mm)";
    return component;
}

std::string dataTypeText(int dataType, int illuminant, int observer)
{
    if (dataType == 0)
        return "分光データ";
    const IlluminantEntry* entry = findIlluminant(illuminant);
    return std::string("L*a*b*  ") + (entry != nullptr ? entry->name : "?") + "/" +
           (observer == 0 ? "10°" : "2°");
}

} // namespace

std::string statusText(const StatusFacts& f)
{
    return f.port + "  " + (f.model.empty() ? std::string("機種未確認") : f.model) + "  " +
           calibrationText(f.calibration) + "\n" + conditionsText(f.both, f.area) + "\n" +
           dataTypeText(f.dataType, f.illuminant, f.observer) + "  リモート測定: " +
           (f.remote == 1 ? "オン" : "オフ") + "\n" + f.notice;
}

} // namespace tonvale
