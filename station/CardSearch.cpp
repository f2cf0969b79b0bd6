#include "station/CardSearch.h"

#include <algorithm>

CardLook ChooseNewDrive(const std::vector<std::string>& before, const std::vector<std::string>& now)
{
    CardLook look;
    for (const std::string& drive : now) {
        if (std::find(before.begin(), before.end(), drive) == before.end()) {
            look.newDrives.push_back(drive);
        }
    }
    if (look.newDrives.size() == 1) {
        look.found = CardFound::Yes;
        look.card = look.newDrives.front();
        look.newDrives.clear();
    } else if (look.newDrives.size() > 1) {
        look.found = CardFound::SeveralDrives;
    }
    return look;
}
