// Sequences of the station's events, as the dock's threads report them,
// against the rows the operator reads.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/CodePages.h"
#include "dock/CameraRows.h"

namespace {

using station::Outcome;
using station::Step;

constexpr std::uint64_t kMB = 1000 * 1000;

struct Timed {
    DockEvent event;
    std::uint64_t ms = 0;
};

Timed Found(station::TurnId turn)
{
    DockEvent e;
    e.kind = DockEvent::Kind::CameraFound;
    e.turn = turn;
    return {e};
}

Timed Identified(station::TurnId turn, const std::string& serial)
{
    DockEvent e;
    e.kind = DockEvent::Kind::Identified;
    e.turn = turn;
    e.camera = {serial, "C" + serial, "Operator " + serial};
    return {e};
}

Timed Started(station::TurnId turn, Step step)
{
    DockEvent e;
    e.kind = DockEvent::Kind::StepStarted;
    e.turn = turn;
    e.step = step;
    return {e};
}

// A card of 100 MB: its work is copying it and reading it back.
Timed Progress(station::TurnId turn, std::uint64_t workDone, std::uint64_t ms,
               custody::OffloadPhase phase = custody::OffloadPhase::Copying)
{
    DockEvent e;
    e.kind = DockEvent::Kind::Progress;
    e.turn = turn;
    e.progress.phase = phase;
    e.progress.cardBytes = 100 * kMB;
    e.progress.workTotal = 200 * kMB;
    e.progress.workDone = workDone;
    return {e, ms};
}

Timed Safe(station::TurnId turn, const std::string& bag)
{
    DockEvent e;
    e.kind = DockEvent::Kind::SafeToUnplug;
    e.turn = turn;
    e.text = bag;
    return {e};
}

Timed Finished(station::TurnId turn, Outcome outcome, const std::string& reason = "")
{
    DockEvent e;
    e.kind = DockEvent::Kind::Finished;
    e.turn = turn;
    e.outcome = outcome;
    e.text = reason;
    return {e};
}

struct Row {
    std::string serial;
    std::string state;
    std::string progress;
    std::string bag;
};

struct Case {
    const char* name;
    std::vector<Timed> events;
    std::vector<Row> rows;
};

std::string Narrow(const WideString& text)
{
    return EncodeUtf8(text.data(), text.size());
}

const Case kCases[] = {
    {"CopyingTellsPercentRateAndTimeLeft",
     {Found(1), Identified(1, "S1"), Started(1, Step::Copying), Progress(1, 0, 1000), Progress(1, 100 * kMB, 3000)},
     {{"S1", "copying", "50 % · 25.0 MB/s · 2 s left", ""}}},
    {"ProgressCountsEveryByteReadNotOnlyVerifiedOnes",
     {Found(1), Identified(1, "S1"), Started(1, Step::Copying), Progress(1, 30 * kMB, 0)},
     {{"S1", "copying", "15 %", ""}}},
    {"AResumeReHashingShowsAsChecking",
     {Found(1), Identified(1, "S1"), Started(1, Step::Copying),
      Progress(1, 10 * kMB, 0, custody::OffloadPhase::Checking)},
     {{"S1", "checking the last copy", "5 %", ""}}},
    {"SealedAndFinishedIsNotSafeWithoutItsEvent",
     {Found(1), Identified(1, "S1"), Started(1, Step::Sealing), Finished(1, Outcome::Ok)},
     {{"S1", "finished", "", ""}}},
    {"SafeToUnplugOnlyOnItsEventAndStaysThroughTheFormat",
     {Found(1), Identified(1, "S1"), Started(1, Step::Copying), Progress(1, 150 * kMB, 0), Safe(1, "D:\\A\\S1\\bag"),
      Started(1, Step::Formatting), Finished(1, Outcome::Ok)},
     {{"S1", "safe to unplug", "100 %", "S1\\bag"}}},
    {"AFormatFailingAfterTheBagIsSafeStaysSafeAndSaysWhy",
     {Found(1), Identified(1, "S1"), Started(1, Step::Formatting), Safe(1, "bag"),
      Finished(1, Outcome::Failed, "the card was not formatted")},
     {{"S1", "safe to unplug", "the card was not formatted", "bag"}}},
    {"FormattingShowsUntilItEnds",
     {Found(1), Identified(1, "S1"), Safe(1, "bag"), Started(1, Step::Formatting)},
     {{"S1", "formatting", "", "bag"}}},
    {"ACardPulledOutSaysToPlugItInAgain",
     {Found(1), Identified(1, "S1"), Started(1, Step::Copying), Finished(1, Outcome::CardLost, "E: went away")},
     {{"S1", "failed: plug it in again to resume", "E: went away", ""}}},
    {"AStopAlsoResumesWhenPluggedInAgain",
     {Found(1), Identified(1, "S1"), Finished(1, Outcome::Stopped)},
     {{"S1", "failed: plug it in again to resume", "", ""}}},
    {"AFullArchiveSaysSo",
     {Found(1), Identified(1, "S1"), Finished(1, Outcome::ArchiveFull, "needs 3 GB")},
     {{"S1", "failed: the archive is full", "needs 3 GB", ""}}},
    {"AWrongPasswordSendsToTheAdministrator",
     {Found(1), Started(1, Step::SigningIn), Finished(1, Outcome::SignInRefused)},
     {{"", "failed: wrong password: ask your administrator", "", ""}}},
    {"RefusedRetriesShareOneRow",
     {Found(1), Finished(1, Outcome::SignInRefused), Found(2), Started(2, Step::SigningIn)},
     {{"", "signing in", "", ""}}},
    {"APluggedInAgainCameraTakesUpItsRow",
     {Found(1), Identified(1, "S1"), Finished(1, Outcome::CardLost), Found(2), Identified(2, "S2"), Found(3),
      Identified(3, "S1"), Started(3, Step::WaitingForCard), Finished(1, Outcome::Failed, "late")},
     {{"S1", "waiting for the card", "", ""}, {"S2", "connecting", "", ""}}},
    {"ACameraStillCopyingKeepsItsRowFromANewTurn",
     {Found(1), Identified(1, "S1"), Started(1, Step::Copying), Found(2), Identified(2, "S1")},
     {{"S1", "copying", "", ""}, {"S1", "connecting", "", ""}}},
};

void PrintTo(const Case& value, std::ostream* out)
{
    *out << value.name;
}

class CameraRowsTest : public ::testing::TestWithParam<Case> {};

TEST_P(CameraRowsTest, RowsSayWhatHappens)
{
    CameraRows rows;
    for (const Timed& timed : GetParam().events)
        rows.Apply(timed.event, timed.ms, 1);
    std::vector<Row> shown;
    for (std::size_t index = 0; index < rows.Rows().size(); ++index) {
        RowTexts texts = rows.Texts(index, kEnglish);
        shown.push_back({Narrow(texts[0]), Narrow(texts[3]), Narrow(texts[4]), Narrow(texts[5])});
    }
    ASSERT_EQ(shown.size(), GetParam().rows.size());
    for (std::size_t index = 0; index < shown.size(); ++index) {
        EXPECT_EQ(shown[index].serial, GetParam().rows[index].serial) << "row " << index;
        EXPECT_EQ(shown[index].state, GetParam().rows[index].state) << "row " << index;
        EXPECT_EQ(shown[index].progress, GetParam().rows[index].progress) << "row " << index;
        EXPECT_EQ(shown[index].bag, GetParam().rows[index].bag) << "row " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, CameraRowsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CameraRowsTally, CountsTodaysOffloadsAndFailuresButNotStops)
{
    CameraRows rows;
    for (const Timed& timed : {Found(1), Identified(1, "S1"), Safe(1, "bag"), Finished(1, Outcome::Ok), Found(2),
                               Identified(2, "S2"), Finished(2, Outcome::CardLost), Found(3), Identified(3, "S3"),
                               Finished(3, Outcome::Stopped)})
        rows.Apply(timed.event, 0, 7);
    EXPECT_EQ(rows.Today(7).offloaded, 1u);
    EXPECT_EQ(rows.Today(7).failed, 1u);
    EXPECT_EQ(rows.Today(8).offloaded, 0u);
    rows.Apply(Found(4).event, 0, 8);
    rows.Apply(Finished(4, Outcome::Failed).event, 0, 8);
    EXPECT_EQ(rows.Today(8).failed, 1u);
    EXPECT_EQ(rows.Today(8).offloaded, 0u);
}

TEST(EventQueueTest, ProgressIsCoalescedAndTheConsumerWokenOncePerBatch)
{
    EventQueue queue;
    int wakes = 0;
    QueuedEvents events(queue, [&wakes] { ++wakes; });
    custody::OffloadProgress progress;
    for (std::uint64_t done = 1; done <= 3; ++done) {
        progress.workDone = done;
        events.Progress(1, progress);
        events.Progress(2, progress);
    }
    events.StepStarted(1, Step::Verifying);
    progress.workDone = 4;
    events.Progress(1, progress);
    std::vector<DockEvent> taken = queue.Take();
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[0].progress.workDone, 3u);  // turn 1's last before its step
    EXPECT_EQ(taken[1].turn, 2u);
    EXPECT_EQ(taken[2].kind, DockEvent::Kind::StepStarted);
    EXPECT_EQ(taken[3].progress.workDone, 4u);
    EXPECT_EQ(wakes, 1);
    events.Waiting();
    EXPECT_EQ(wakes, 2);
}

}  // namespace
