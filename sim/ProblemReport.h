// Problems of the simulated camera on standard error, each distinct one once,
// so that a problem met at every call does not flood a test's output.
#pragma once

#include <ostream>
#include <set>
#include <string>

namespace nvusb_sim {

class ProblemReport {
public:
    explicit ProblemReport(std::ostream& out) : out_(out) {}

    void report(const std::string& problem) {
        if (!reported_.insert(problem).second) return;
        out_ << "nvusb-sim: " << problem << std::endl;
    }

private:
    std::ostream& out_;
    std::set<std::string> reported_;
};

}  // namespace nvusb_sim
