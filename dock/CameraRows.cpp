#include "dock/CameraRows.h"

#include <iterator>
#include <string>

#include "core/CodePages.h"
#include "dock/DockTexts.h"

namespace {

using station::Outcome;

WideString Ascii(const std::string& text)
{
    return WideString(text.begin(), text.end());
}

WideString Utf8(const std::string& text)
{
    return DecodeUtf8(text.data(), text.size());
}

// `tenths` / 10 with one decimal: "37.5".
WideString Tenths(std::uint64_t tenths)
{
    return Ascii(std::to_string(tenths / 10) + "." + std::to_string(tenths % 10));
}

// The bag as "<serial>\\<folder>": the archive it lies in is the same for all.
std::string BagName(const std::string& bag)
{
    std::size_t folder = bag.find_last_of("\\/");
    if (folder == std::string::npos || folder == 0)
        return bag;
    std::size_t serial = bag.find_last_of("\\/", folder - 1);
    return serial == std::string::npos ? bag : bag.substr(serial + 1);
}

bool IsCopyState(RowState state)
{
    return state == RowState::Checking || state == RowState::Copying || state == RowState::Verifying
           || state == RowState::Sealing;
}

RowState StateOf(station::Step step)
{
    switch (step) {
    case station::Step::Connecting:
        return RowState::Connecting;
    case station::Step::SigningIn:
        return RowState::SigningIn;
    case station::Step::WaitingForCard:
        return RowState::WaitingForCard;
    case station::Step::Copying:
        return RowState::Copying;
    case station::Step::Verifying:
        return RowState::Verifying;
    case station::Step::Sealing:
        return RowState::Sealing;
    case station::Step::Formatting:
        return RowState::Formatting;
    }
    return RowState::Connecting;
}

RowState StateOf(custody::OffloadPhase phase)
{
    switch (phase) {
    case custody::OffloadPhase::Checking:
        return RowState::Checking;
    case custody::OffloadPhase::Copying:
        return RowState::Copying;
    case custody::OffloadPhase::Verifying:
        return RowState::Verifying;
    case custody::OffloadPhase::Sealing:
        return RowState::Sealing;
    }
    return RowState::Copying;
}

DockText StateText(RowState state)
{
    switch (state) {
    case RowState::Connecting:
        return DockText::StateConnecting;
    case RowState::SigningIn:
        return DockText::StateSigningIn;
    case RowState::WaitingForCard:
        return DockText::StateWaitingForCard;
    case RowState::Checking:
        return DockText::StateChecking;
    case RowState::Copying:
        return DockText::StateCopying;
    case RowState::Verifying:
        return DockText::StateVerifying;
    case RowState::Sealing:
        return DockText::StateSealing;
    case RowState::Formatting:
        return DockText::StateFormatting;
    case RowState::SafeToUnplug:
        return DockText::StateSafeToUnplug;
    case RowState::Finished:
        return DockText::StateFinished;
    case RowState::Failed:
        return DockText::StateFailed;
    }
    return DockText::StateConnecting;
}

// What the operator should do after a failed turn.
DockText Advice(Outcome outcome)
{
    switch (outcome) {
    case Outcome::CardLost:
    case Outcome::Stopped:
        return DockText::AdvicePlugInAgain;
    case Outcome::ArchiveFull:
        return DockText::AdviceArchiveFull;
    case Outcome::SignInRefused:
        return DockText::AdviceWrongPassword;
    case Outcome::AuditFailed:
        return DockText::AdviceAuditFailed;
    case Outcome::NoCamera:
        return DockText::AdviceNoCamera;
    case Outcome::Ok:
    case Outcome::Failed:
        break;
    }
    return DockText::AdviceOtherFailure;
}

WideString DurationText(std::uint64_t seconds, Language language)
{
    auto number = [](std::uint64_t value) { return Ascii(std::to_string(value)); };
    if (seconds >= 3600)
        return FormatText(DockTextOf(language, DockText::TimeHours),
                          {number(seconds / 3600), number(seconds / 60 % 60)});
    if (seconds >= 60)
        return FormatText(DockTextOf(language, DockText::TimeMinutes), {number(seconds / 60), number(seconds % 60)});
    return FormatText(DockTextOf(language, DockText::TimeSeconds), {number(seconds)});
}

// "42 % · 37.5 MB/s · 1 min 20 s left": the rate and the time left once a
// second of work has been seen.
WideString ProgressText(const CameraRow& row, Language language)
{
    const custody::OffloadProgress& p = row.progress;
    if (p.workTotal == 0)
        return WideString();
    std::uint64_t percent = p.workDone >= p.workTotal ? 100 : p.workDone * 100 / p.workTotal;
    WideString text = FormatText(DockTextOf(language, DockText::ProgressPercent), {Ascii(std::to_string(percent))});
    std::uint64_t elapsedMs = row.lastMs - row.rateStartMs;
    std::uint64_t worked = p.workDone - row.rateStartWork;
    if (elapsedMs < 1000 || worked == 0 || p.workDone >= p.workTotal)
        return text;
    // The work counts each of the card's bytes more than once (copied, read
    // back, re-hashed): the rate is told in the card's bytes.
    double workPerSecond = static_cast<double>(worked) * 1000.0 / static_cast<double>(elapsedMs);
    double cardPerSecond = workPerSecond * static_cast<double>(p.cardBytes) / static_cast<double>(p.workTotal);
    auto secondsLeft = static_cast<std::uint64_t>(static_cast<double>(p.workTotal - p.workDone) / workPerSecond);
    const WideString separator = WIDE(" · ");
    text += separator
            + FormatText(DockTextOf(language, DockText::ProgressRate),
                         {Tenths(static_cast<std::uint64_t>(cardPerSecond / 100000.0))});
    text += separator
            + FormatText(DockTextOf(language, DockText::ProgressTimeLeft), {DurationText(secondsLeft, language)});
    return text;
}

}  // namespace

CameraRow* CameraRows::RowOf(station::TurnId turn)
{
    auto found = turns_.find(turn);
    return found == turns_.end() ? nullptr : &rows_[found->second];
}

void CameraRows::ForgetTurnsOf(std::size_t index)
{
    for (auto turn = turns_.begin(); turn != turns_.end();)
        turn = turn->second == index ? turns_.erase(turn) : std::next(turn);
}

void CameraRows::Found(station::TurnId turn)
{
    // A turn that ended before its camera was known (a refused sign-in)
    // gives its row to the next, so that retries do not pile up rows.
    std::size_t index = rows_.size();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].ended && rows_[i].camera.serial.empty())
            index = i;
    }
    if (index == rows_.size())
        rows_.emplace_back();
    ForgetTurnsOf(index);
    rows_[index] = CameraRow{};
    turns_[turn] = index;
}

void CameraRows::Identify(station::TurnId turn, const station::CameraIdentity& camera)
{
    auto found = turns_.find(turn);
    if (found == turns_.end())
        return;
    std::size_t current = found->second;
    for (std::size_t earlier = 0; earlier < rows_.size(); ++earlier) {
        const CameraRow& candidate = rows_[earlier];
        if (earlier == current || !candidate.ended || camera.serial.empty() || candidate.camera.serial != camera.serial)
            continue;
        // The camera is back: its row takes this turn, and the row the turn
        // started in goes.
        ForgetTurnsOf(earlier);
        rows_[earlier] = rows_[current];
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(current));
        for (auto& [otherTurn, index] : turns_) {
            if (index > current)
                --index;
        }
        found->second = earlier > current ? earlier - 1 : earlier;
        ++layout_;
        break;
    }
    rows_[found->second].camera = camera;
}

void CameraRows::Finish(CameraRow& row, Outcome outcome, const std::string& reason, std::int64_t day)
{
    row.ended = true;
    row.outcome = outcome;
    if (day != tallyDay_) {
        tallyDay_ = day;
        tally_ = DockTally{};
    }
    if (outcome == Outcome::Ok || row.safe) {
        // Once the bag is safe, what fails after it (the format) is told
        // beside it but does not take the sign away.
        row.state = row.safe ? RowState::SafeToUnplug : RowState::Finished;
        row.reason = reason;
        ++tally_.offloaded;
        return;
    }
    row.state = RowState::Failed;
    row.reason = reason;
    if (outcome != Outcome::Stopped)
        ++tally_.failed;
}

void CameraRows::Apply(const DockEvent& event, std::uint64_t nowMs, std::int64_t day)
{
    using Kind = DockEvent::Kind;
    if (event.kind == Kind::CameraFound) {
        Found(event.turn);
        return;
    }
    if (event.kind == Kind::Identified) {
        Identify(event.turn, event.camera);
        return;
    }
    CameraRow* row = RowOf(event.turn);
    if (!row || event.kind == Kind::Waiting || event.kind == Kind::RunEnded)
        return;
    switch (event.kind) {
    case Kind::StepStarted:
        row->state = StateOf(event.step);
        break;
    case Kind::Progress:
        if (!row->hasProgress) {
            row->hasProgress = true;
            row->rateStartMs = nowMs;
            row->rateStartWork = event.progress.workDone;
        }
        row->progress = event.progress;
        row->lastMs = nowMs;
        if (IsCopyState(row->state))
            row->state = StateOf(event.progress.phase);
        break;
    case Kind::SafeToUnplug:
        // Every copy is verified by now, whatever the last report said.
        row->progress.workDone = row->progress.workTotal;
        row->safe = true;
        row->bag = event.text;
        row->state = RowState::SafeToUnplug;
        break;
    case Kind::Finished:
        Finish(*row, event.outcome, event.text, day);
        break;
    default:
        break;
    }
}

RowTexts CameraRows::Texts(std::size_t index, Language language) const
{
    const CameraRow& row = rows_.at(index);
    RowTexts texts;
    texts[static_cast<std::size_t>(Column::Serial)] = Utf8(row.camera.serial);
    texts[static_cast<std::size_t>(Column::CameraId)] = Utf8(row.camera.cameraId);
    texts[static_cast<std::size_t>(Column::UserName)] = Utf8(row.camera.userName);
    const WideChar* state = DockTextOf(language, StateText(row.state));
    WideString& progress = texts[static_cast<std::size_t>(Column::Progress)];
    if (row.state == RowState::Failed) {
        texts[static_cast<std::size_t>(Column::State)] = FormatText(state, {DockTextOf(language, Advice(row.outcome))});
        progress = Utf8(row.reason);
    } else {
        texts[static_cast<std::size_t>(Column::State)] = state;
        if (!row.reason.empty())
            progress = Utf8(row.reason);
        else if (row.hasProgress && (IsCopyState(row.state) || row.safe))
            progress = ProgressText(row, language);
    }
    texts[static_cast<std::size_t>(Column::Bag)] = Utf8(BagName(row.bag));
    return texts;
}

std::size_t CameraRows::Busy() const
{
    std::size_t busy = 0;
    for (const CameraRow& row : rows_) {
        if (!row.ended && (IsCopyState(row.state) || row.state == RowState::Formatting))
            ++busy;
    }
    return busy;
}

DockTally CameraRows::Today(std::int64_t day) const
{
    return day == tallyDay_ ? tally_ : DockTally{};
}

WideString SizeText(std::uint64_t bytes, Language language)
{
    constexpr std::uint64_t kGigabyte = 1000ull * 1000 * 1000;
    if (bytes >= kGigabyte)
        return FormatText(DockTextOf(language, DockText::SizeGigabytes), {Tenths(bytes / (kGigabyte / 10))});
    return FormatText(DockTextOf(language, DockText::SizeMegabytes), {Ascii(std::to_string(bytes / 1000000))});
}
