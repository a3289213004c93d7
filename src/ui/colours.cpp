#include "ui/colours.hpp"

namespace halvora {

ColourTable defaultColours() {
    ColourTable t;
    t.labelTitle = {-1, rgb(150, 215, 115)};
    t.labelMBox = {-1, rgb(225, 232, 223)};
    t.labelCmd = {rgb(115, 90, 180), -1};
    t.lvMatch = {-1, rgb(203, 254, 192)};
    t.findDrive = {-1, rgb(225, 225, 220)};
    t.findWim = {-1, rgb(254, 254, 225)};
    t.findSwm = {-1, rgb(254, 254, 225)};
    t.findEsd = {-1, rgb(254, 245, 224)};
    t.findIso = {-1, rgb(251, 250, 246)};
    return t;
}

const std::vector<ColourKey>& colourKeys() {
    static const std::vector<ColourKey> keys = {
        {L"LabelTitleColor", &ColourTable::labelTitle}, {L"LabelMBoxColor", &ColourTable::labelMBox},
        {L"LabelCmdColor", &ColourTable::labelCmd},     {L"LVmatchColor", &ColourTable::lvMatch},
        {L"FindDriveColor", &ColourTable::findDrive},   {L"FindWimColor", &ColourTable::findWim},
        {L"FindSwmColor", &ColourTable::findSwm},       {L"FindEsdColor", &ColourTable::findEsd},
        {L"FindIsoColor", &ColourTable::findIso},
    };
    return keys;
}

}  // namespace halvora
