#include "cli/CardSearch.h"

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

CardLook WaitForCard(const std::function<CardLook()>& look, std::uint64_t waitMs, unsigned pollMs, Pacer& pacer)
{
    const std::uint64_t start = pacer.NowMs();
    for (;;) {
        const CardLook seen = look();
        if (seen.found != CardFound::NotYet) {
            return seen;
        }
        const std::uint64_t waited = pacer.NowMs() - start;
        if (waited >= waitMs) {
            return seen;
        }
        const std::uint64_t left = waitMs - waited;
        if (!pacer.Sleep(static_cast<unsigned>(std::min<std::uint64_t>(pollMs, left)))) {
            return {CardFound::Interrupted, {}, {}};
        }
    }
}
