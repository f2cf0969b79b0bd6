// Finding a camera's card once it is in USB storage mode: the folder named
// with --from becoming listable, or a drive letter that was not there
// before the switch. Portable: the drives come in from outside.
#pragma once

#include <string>
#include <vector>

enum class CardFound { Yes, NotYet, SeveralDrives, Interrupted };

struct CardLook {
    CardFound found = CardFound::NotYet;
    std::string card;                    // Yes: the card's root folder
    std::vector<std::string> newDrives;  // SeveralDrives: which ones
};

// Decides by the drives in `now` that are not in `before`: none yet, one
// (the card), or several (the tool cannot tell which is the card).
CardLook ChooseNewDrive(const std::vector<std::string>& before, const std::vector<std::string>& now);
