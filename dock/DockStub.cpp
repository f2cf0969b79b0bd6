// TEMPORARY: stands in for station/Dock.cpp until the station library's
// dock lands; CMake compiles it only while that file is missing. It
// watches nothing: it reports waiting, and the run's end once stopped.
#include <thread>

#include "station/Dock.h"
#include "station/StopSignal.h"

namespace station {

class Dock::Run {
public:
    Run(DockSettings settings, StationEvents& events) : settings_(std::move(settings)), events_(events) {}
    ~Run()
    {
        stop_.Request();
        Wait();
    }

    void Start()
    {
        if (thread_.joinable())
            return;
        thread_ = std::thread([this] {
            events_.Waiting();
            while (!stop_.WaitFor(settings_.intervalMs)) {
            }
            events_.RunEnded(Outcome::Stopped, "");
        });
    }
    void RequestStop() { stop_.Request(); }
    void Wait()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    DockSettings settings_;
    StationEvents& events_;
    StopSignal stop_;
    std::thread thread_;
};

Dock::Dock(DockSettings settings, StationEvents& events) : run_(std::make_unique<Run>(std::move(settings), events)) {}
Dock::~Dock() = default;
void Dock::Start()
{
    run_->Start();
}
void Dock::RequestStop()
{
    run_->RequestStop();
}
void Dock::Wait()
{
    run_->Wait();
}

}  // namespace station
