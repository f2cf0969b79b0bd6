#include "dock/DockEvents.h"

#include <utility>

bool EventQueue::Push(DockEvent event)
{
    std::lock_guard<std::mutex> lock(mutex_);
    bool wasEmpty = events_.empty();
    if (event.kind == DockEvent::Kind::Progress) {
        for (auto queued = events_.rbegin(); queued != events_.rend(); ++queued) {
            if (queued->turn != event.turn)
                continue;
            if (queued->kind == DockEvent::Kind::Progress) {
                *queued = std::move(event);
                return false;
            }
            break;
        }
    }
    events_.push_back(std::move(event));
    return wasEmpty;
}

std::vector<DockEvent> EventQueue::Take()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(events_, {});
}

namespace {

DockEvent Event(DockEvent::Kind kind, station::TurnId turn)
{
    DockEvent event;
    event.kind = kind;
    event.turn = turn;
    return event;
}

}  // namespace

void QueuedEvents::Push(DockEvent event)
{
    if (queue_.Push(std::move(event)) && wake_)
        wake_();
}

void QueuedEvents::Waiting()
{
    Push({});
}

void QueuedEvents::CameraFound(station::TurnId turn)
{
    Push(Event(DockEvent::Kind::CameraFound, turn));
}

void QueuedEvents::Identified(station::TurnId turn, const station::CameraIdentity& camera)
{
    DockEvent event = Event(DockEvent::Kind::Identified, turn);
    event.camera = camera;
    Push(std::move(event));
}

void QueuedEvents::StepStarted(station::TurnId turn, station::Step step)
{
    DockEvent event = Event(DockEvent::Kind::StepStarted, turn);
    event.step = step;
    Push(std::move(event));
}

void QueuedEvents::Progress(station::TurnId turn, const custody::OffloadProgress& progress)
{
    DockEvent event = Event(DockEvent::Kind::Progress, turn);
    event.progress = progress;
    Push(std::move(event));
}

void QueuedEvents::CardFormatted(station::TurnId turn)
{
    Push(Event(DockEvent::Kind::CardFormatted, turn));
}

void QueuedEvents::SafeToUnplug(station::TurnId turn, const std::string& bag)
{
    DockEvent event = Event(DockEvent::Kind::SafeToUnplug, turn);
    event.text = bag;
    Push(std::move(event));
}

void QueuedEvents::Finished(station::TurnId turn, station::Outcome outcome, const std::string& reason)
{
    DockEvent event = Event(DockEvent::Kind::Finished, turn);
    event.outcome = outcome;
    event.text = reason;
    Push(std::move(event));
}

void QueuedEvents::RunEnded(station::Outcome outcome, const std::string& reason)
{
    DockEvent event = Event(DockEvent::Kind::RunEnded, 0);
    event.outcome = outcome;
    event.text = reason;
    Push(std::move(event));
}
