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
    DockEvent event;
    event.kind = DockEvent::Kind::CameraFound;
    event.turn = turn;
    Push(std::move(event));
}

void QueuedEvents::Identified(station::TurnId turn, const station::CameraIdentity& camera)
{
    DockEvent event;
    event.kind = DockEvent::Kind::Identified;
    event.turn = turn;
    event.camera = camera;
    Push(std::move(event));
}

void QueuedEvents::StepStarted(station::TurnId turn, station::Step step)
{
    DockEvent event;
    event.kind = DockEvent::Kind::StepStarted;
    event.turn = turn;
    event.step = step;
    Push(std::move(event));
}

void QueuedEvents::Progress(station::TurnId turn, const custody::OffloadProgress& progress)
{
    DockEvent event;
    event.kind = DockEvent::Kind::Progress;
    event.turn = turn;
    event.progress = progress;
    Push(std::move(event));
}

void QueuedEvents::CardFormatted(station::TurnId turn)
{
    DockEvent event;
    event.kind = DockEvent::Kind::CardFormatted;
    event.turn = turn;
    Push(std::move(event));
}

void QueuedEvents::SafeToUnplug(station::TurnId turn, const std::string& bag)
{
    DockEvent event;
    event.kind = DockEvent::Kind::SafeToUnplug;
    event.turn = turn;
    event.text = bag;
    Push(std::move(event));
}

void QueuedEvents::Finished(station::TurnId turn, station::Outcome outcome, const std::string& reason)
{
    DockEvent event;
    event.kind = DockEvent::Kind::Finished;
    event.turn = turn;
    event.outcome = outcome;
    event.text = reason;
    Push(std::move(event));
}

void QueuedEvents::RunEnded(station::Outcome outcome, const std::string& reason)
{
    DockEvent event;
    event.kind = DockEvent::Kind::RunEnded;
    event.outcome = outcome;
    event.text = reason;
    Push(std::move(event));
}
