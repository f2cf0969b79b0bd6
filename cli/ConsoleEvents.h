// The console as a station's front end: what a run of the station tells it
// that no camera's result line says.
#pragma once

#include <string>

#include "cli/Output.h"
#include "station/StationEvents.h"

class ConsoleEvents : public station::StationEvents {
public:
    explicit ConsoleEvents(const Output& output) : output_(output) {}

    // No camera can ever come: said once, as an error.
    void RunEnded(station::Outcome outcome, const std::string& reason) override
    {
        if (outcome == station::Outcome::NoCamera) {
            output_.Error(reason);
        }
    }

private:
    const Output& output_;
};
