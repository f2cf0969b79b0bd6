// What the dock tells its front end, logged for the dock's tests to wait
// for: they wait for what the engine does, never for time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "station/StationEvents.h"

namespace station {

inline const char* const kOutcomes[] = {"Ok",            "Failed",   "CardLost",    "ArchiveFull",
                                        "SignInRefused", "NoCamera", "AuditFailed", "Stopped"};

// What the dock tells its front end, logged as "<what> <serial>[ <outcome>]"
// for the tests to wait for.
class LoggedEvents : public StationEvents {
public:
    template <typename Body>
    auto Locked(Body body)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        changed_.notify_all();
        return body();
    }
    void Log(const std::string& line) { Locked([&] { log_.push_back(line); }); }
    void Await(const std::string& line, std::ptrdiff_t times = 1)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return std::count(log_.begin(), log_.end(), line) >= times; });
    }
    // The first of `lines` to come.
    std::string AwaitFirst(const std::vector<std::string>& lines)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        std::vector<std::string>::const_iterator found;
        changed_.wait(lock, [&] {
            found = std::find_first_of(log_.begin(), log_.end(), lines.begin(), lines.end());
            return found != log_.end();
        });
        return *found;
    }
    std::ptrdiff_t Count(const std::string& line)
    {
        return Locked([&] { return std::count(log_.begin(), log_.end(), line); });
    }
    // Where `line` first is in the log; past its end when it is not.
    std::ptrdiff_t At(const std::string& line)
    {
        return Locked([&] { return std::find(log_.begin(), log_.end(), line) - log_.begin(); });
    }

    void Identified(TurnId turn, const CameraIdentity& camera) override
    {
        if (!camera.serial.empty()) {
            Locked([&] { serials[turn] = camera.serial; });
            Log("identified " + camera.serial);
        }
    }
    void SafeToUnplug(TurnId turn, const std::string&) override { Event("safe", turn); }
    void CardFormatted(TurnId turn) override { Event("formatted", turn); }
    void StepStarted(TurnId turn, Step step) override { Event(step == Step::Verifying ? "verifying" : "step", turn); }
    void Finished(TurnId turn, Outcome outcome, const std::string&) override
    {
        Event("finished", turn, std::string(" ") + kOutcomes[int(outcome)]);
    }
    void RunEnded(Outcome outcome, const std::string& why) override
    {
        Locked([&] { endedWhy = why; });
        Log(std::string("ended ") + kOutcomes[int(outcome)]);
    }

    const std::thread::id caller = std::this_thread::get_id();
    std::map<TurnId, std::string> serials;
    std::string endedWhy;  // set before "ended"

private:
    void Event(const std::string& what, TurnId turn, const std::string& outcome = "")
    {
        EXPECT_NE(std::this_thread::get_id(), caller) << what;
        Log(what + " " + Locked([&] { return serials[turn]; }) + outcome);
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> log_;
};

}  // namespace station
