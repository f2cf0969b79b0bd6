#include "station/CardWait.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "station/CardSearch.h"

namespace station {
namespace {

constexpr std::uint64_t kCardPollMs = 250;

// Looks at once, then every kCardPollMs, until `look` answers anything but
// NotYet or `waitMs` have passed (then NotYet).
CardLook WaitForCard(const RunContext& run, const std::function<CardLook()>& look, std::uint64_t waitMs)
{
    const std::uint64_t start = run.host.SteadyMilliseconds();
    for (;;) {
        CardLook seen = look();
        const std::uint64_t waited = run.host.SteadyMilliseconds() - start;
        if (seen.found != CardFound::NotYet || waited >= waitMs) {
            return seen;
        }
        if (!run.host.Pause(run.stop, std::min<std::uint64_t>(kCardPollMs, waitMs - waited))) {
            return {CardFound::Interrupted, {}, {}};
        }
    }
}

CardLook LookForFolder(const RunContext& run, const std::string& folder)
{
    std::vector<std::string> names;
    if (!run.host.Files().ListFolders(folder, names)) {
        return {};
    }
    return {CardFound::Yes, folder, {}};
}

// After the switch to USB storage: the card's root folder, or why none.
bool FindCard(const RunContext& run, const CardOptions& options, const std::vector<std::string>& drivesBefore, std::string& card,
              std::string& why)
{
    const std::function<CardLook()> look = options.from.empty()
        ? std::function<CardLook()>([&] { return ChooseNewDrive(drivesBefore, run.host.DriveRoots()); })
        : std::function<CardLook()>([&] { return LookForFolder(run, options.from); });
    const CardLook found = WaitForCard(run, look, options.waitSeconds * std::uint64_t{1000});
    switch (found.found) {
    case CardFound::Yes:
        card = found.card;
        return true;
    case CardFound::NotYet:
        why = "the card did not appear within " + std::to_string(options.waitSeconds) + " s";
        return false;
    case CardFound::SeveralDrives: {
        std::string drives;
        for (const std::string& drive : found.newDrives) {
            drives += (drives.empty() ? "" : ", ") + drive;
        }
        why = "more than one new drive appeared (" + drives + "): name the card with --from";
        return false;
    }
    case CardFound::Interrupted:
        break;
    }
    why = "interrupted while waiting for the card";
    return false;
}

}  // namespace

bool SwitchToStorage(const RunContext& run, const CardOptions& options, std::string& card, std::string& step, std::string& why)
{
    const std::vector<std::string> drivesBefore = options.from.empty() ? run.host.DriveRoots()
                                                                      : std::vector<std::string>{};
    step = "usb-storage";
    if (run.stop.Requested()) {
        why = "interrupted before the switch to USB storage";
        return false;
    }
    if (!camera::EnterUsbStorage()) {
        why = "the camera refused to switch to USB storage";
        return false;
    }
    step = "card";
    return FindCard(run, options, drivesBefore, card, why);
}

}  // namespace station
