// The texts the camera window composes from a text-table entry and values:
// its time and status displays and the identity notices. Each entry comes
// from the caller, in the active language.
#pragma once

#include "core/IdentityCodec.h"
#include "core/WideText.h"

// The computer's local time as the time display shows it.
struct LocalClock {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// "2019-07-24 09:01:30 --" followed directly by `outcome`.
WideString TimeDisplay(const LocalClock& now, const WideChar* outcome);

// `label` followed by "1920*1080" when the values were read, alone when not.
WideString ResolutionDisplay(const WideChar* label, bool read, int width, int height);
// `label` followed by "85%" when the level was read, alone when not.
WideString BatteryDisplay(const WideChar* label, bool read, int level);

// The notice for a record that was not built: `entry` followed by the
// length the ID must have (" 7!" or " 6!") for the two length results,
// `entry` alone otherwise. The notice names the length required, not the
// one found.
WideString IdentityNotice(BuildResult result, const WideChar* entry);
