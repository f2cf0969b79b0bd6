// Finding a camera's card once it is in USB storage mode: the folder named
// with --from becoming listable, or a drive letter that was not there
// before the switch. Portable: the drives and the time come in from outside.
#pragma once

#include <cstdint>
#include <functional>
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

// Time as the waits see it. The tool's pacer sleeps; the tests' only counts.
class Pacer {
public:
    virtual ~Pacer() = default;
    virtual std::uint64_t NowMs() = 0;  // only goes forward
    // Sleeps `ms`; false, at once, when the operator interrupted.
    virtual bool Sleep(unsigned ms) = 0;
};

// Looks at once, then every `pollMs`, until `look` answers anything but
// NotYet or `waitMs` have passed (then NotYet).
CardLook WaitForCard(const std::function<CardLook()>& look, std::uint64_t waitMs, unsigned pollMs, Pacer& pacer);
