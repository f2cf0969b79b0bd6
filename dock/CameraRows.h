// The dock's cameras as the window lists them: one row per camera seen
// since the start, keyed by its serial once known, so that a camera plugged
// in again takes up its row. Each row is told in the operator's words; the
// window only shows the texts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/WideText.h"
#include "dock/DockEvents.h"
#include "texts/TextTable.h"

enum class RowState {
    Connecting,
    SigningIn,
    WaitingForCard,
    Checking,  // a resume re-hashes the earlier attempt's copies
    Copying,
    Verifying,
    Sealing,
    Formatting,
    SafeToUnplug,
    Finished,
    Failed,
};

struct CameraRow {
    station::CameraIdentity camera;  // serial empty until identified
    RowState state = RowState::Connecting;
    station::Outcome outcome = station::Outcome::Ok;
    std::string reason;  // failed: why, as the station said it
    std::string bag;
    bool safe = false;   // SafeToUnplug came in this turn
    bool ended = false;  // the turn is over
    bool hasProgress = false;
    custody::OffloadProgress progress;
    // The first report of the turn, from which the rate is measured.
    std::uint64_t rateStartMs = 0;
    std::uint64_t rateStartWork = 0;
    std::uint64_t lastMs = 0;
};

enum class Column { Serial, CameraId, UserName, State, Progress, Bag, Count };
using RowTexts = std::array<WideString, static_cast<std::size_t>(Column::Count)>;

struct DockTally {
    std::uint32_t offloaded = 0;
    std::uint32_t failed = 0;
};

class CameraRows {
public:
    // `nowMs` from a steady clock; `day` names the local day, for the tally.
    void Apply(const DockEvent& event, std::uint64_t nowMs, std::int64_t day);

    const std::vector<CameraRow>& Rows() const { return rows_; }
    // Changes each time a row goes away: the list is then built anew.
    std::uint64_t Layout() const { return layout_; }
    RowTexts Texts(std::size_t row, Language language) const;
    // Turns still at work: a copy or a camera being handled.
    std::size_t Busy() const;
    DockTally Today(std::int64_t day) const;

private:
    CameraRow* RowOf(station::TurnId turn);
    // An ended turn's row is taken by another: late events of the old turn
    // must not reach it.
    void ForgetTurnsOf(std::size_t index);
    void Found(station::TurnId turn);
    void Identify(station::TurnId turn, const station::CameraIdentity& camera);
    void Finish(CameraRow& row, station::Outcome outcome, const std::string& reason, std::int64_t day);

    std::vector<CameraRow> rows_;
    std::map<station::TurnId, std::size_t> turns_;
    std::uint64_t layout_ = 0;
    std::int64_t tallyDay_ = 0;
    DockTally tally_;
};

// "1.5 GB", "730 MB": a size or free space for the operator.
WideString SizeText(std::uint64_t bytes, Language language);
