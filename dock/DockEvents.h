// The station's events as data, carried from the dock's threads to the
// window's: each call of StationEvents becomes a DockEvent in a queue, and
// the window is woken only when the queue was empty, so that a burst of
// progress never floods its message queue.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "station/StationEvents.h"

struct DockEvent {
    enum class Kind {
        Waiting,
        CameraFound,
        Identified,
        StepStarted,
        Progress,
        CardFormatted,
        SafeToUnplug,
        Finished,
        RunEnded,
    };
    Kind kind = Kind::Waiting;
    station::TurnId turn = 0;
    station::CameraIdentity camera;         // Identified
    station::Step step = station::Step::Connecting;  // StepStarted
    custody::OffloadProgress progress;      // Progress
    station::Outcome outcome = station::Outcome::Ok;  // Finished, RunEnded
    std::string text;                       // SafeToUnplug: the bag; Finished, RunEnded: the reason
};

class EventQueue {
public:
    // True when the queue was empty: the consumer has to be woken. A
    // progress report replaces the one before it when that one has not been
    // taken yet and nothing of its turn came after it.
    bool Push(DockEvent event);
    std::vector<DockEvent> Take();

private:
    std::mutex mutex_;
    std::vector<DockEvent> events_;
};

// The station's events into a queue; `wake` is called (on the station's
// thread) when the consumer has to look.
class QueuedEvents : public station::StationEvents {
public:
    QueuedEvents(EventQueue& queue, std::function<void()> wake) : queue_(queue), wake_(std::move(wake)) {}

    void Waiting() override;
    void CameraFound(station::TurnId turn) override;
    void Identified(station::TurnId turn, const station::CameraIdentity& camera) override;
    void StepStarted(station::TurnId turn, station::Step step) override;
    void Progress(station::TurnId turn, const custody::OffloadProgress& progress) override;
    void CardFormatted(station::TurnId turn) override;
    void SafeToUnplug(station::TurnId turn, const std::string& bag) override;
    void Finished(station::TurnId turn, station::Outcome outcome, const std::string& reason) override;
    void RunEnded(station::Outcome outcome, const std::string& reason) override;

private:
    void Push(DockEvent event);

    EventQueue& queue_;
    std::function<void()> wake_;
};
