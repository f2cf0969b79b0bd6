// Plays the operator of a running OrvaneDock.exe for scripts (the dock's
// journey under Wine, scripts/run dock, scripts/bench dock). The steps come
// from the command line, in order:
//
//   --timeout MS          the bound of every later wait (default 120000)
//   attach                wait for the dock's window or its first-start
//                         settings, whichever shows first
//   settings FILE         in the first-start settings, the first line of FILE
//                         as the camera password (never an argument), then
//                         OK; waits for the dock's window
//   store-secret FILE     in the first-start settings, the first line of FILE
//                         as the object store's secret key (never an argument)
//   wait-state SERIAL T   wait until the row of SERIAL has a state holding T
//                         (any case); prints it as "row ..."
//   wait-count N T        wait until N rows have a state holding T; prints
//                         every row
//   rows                  prints every row: "row serial|camera ID|user|state|progress|bag"
//   rect settings|window  waits for the first-start settings or the main
//                         window to show; prints "rect left top width height"
//   ask-close             close the window, answer its question with yes;
//                         returns once the answer is taken
//   close                 ask-close, then wait until the dock has ended
//   ping-until FILE       a round trip of a message to the window every 10 ms
//                         until FILE exists; prints "ping <count> <median ms>
//                         <p99 ms> <max ms> <unanswered within 1 s>"
//   memory                prints "memory <peak working set KiB>"
//
// A step that fails prints "probe: ..." and the rows on standard error and
// gives exit status 1. Output is UTF-8.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "DockDriver.h"

namespace {

void Print(FILE* stream, const std::wstring& line)
{
    std::wstring text = line + L"\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    (void)fwrite(bytes.data(), 1, bytes.size(), stream);
    (void)fflush(stream);
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring RowLine(const e2e::DockRow& row)
{
    return L"row " + e2e::Describe(row);
}

// The first line of a file, without its line end.
std::wstring FirstLine(const std::wstring& path)
{
    std::ifstream in(path.c_str());
    std::string line;
    if (!in || !std::getline(in, line))
        throw std::runtime_error("cannot read the password file");
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return Widen(line);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    auto index = static_cast<size_t>(std::lround(share * static_cast<double>(values.size() - 1)));
    return values[std::min(index, values.size() - 1)];
}

void PingUntil(const e2e::DockWindow& dock, const std::wstring& stopFile)
{
    constexpr DWORD kUnansweredMs = 1000;
    std::vector<double> times;
    int unanswered = 0;
    while (!Exists(stopFile)) {
        double ms = dock.RoundTripMs(kUnansweredMs);
        if (ms < 0)
            ++unanswered;
        else
            times.push_back(ms);
        Sleep(10);
    }
    wchar_t line[160];
    (void)swprintf(line, 160, L"ping %u %.2f %.2f %.2f %d", static_cast<unsigned>(times.size()), Percentile(times, 0.5),
             Percentile(times, 0.99), times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()),
             unanswered);
    Print(stdout, line);
}

void PrintRect(HWND window)
{
    RECT r{};
    if (!GetWindowRect(window, &r))
        throw std::runtime_error("cannot read the place of the dock's window");
    Print(stdout, L"rect " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                      std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top));
}

struct Steps {
    std::vector<std::wstring> words;
    size_t next = 0;

    bool More() const { return next < words.size(); }
    const std::wstring& Take(const wchar_t* what)
    {
        if (next >= words.size())
            throw std::runtime_error("a step needs " + std::string(what, what + wcslen(what)));
        return words[next++];
    }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Steps steps{std::vector<std::wstring>(argv + 1, argv + argc)};
    DWORD timeoutMs = 120000;
    std::unique_ptr<e2e::DockWindow> dock;
    auto attached = [&]() -> const e2e::DockWindow& {
        if (!dock)
            throw std::runtime_error("attach first");
        return *dock;
    };
    try {
        while (steps.More()) {
            const std::wstring step = steps.Take(L"a step");
            if (step == L"--timeout") {
                timeoutMs = static_cast<DWORD>(std::wcstoul(steps.Take(L"milliseconds").c_str(), nullptr, 10));
            } else if (step == L"attach") {
                dock = std::make_unique<e2e::DockWindow>(e2e::DockWindow::Attach(timeoutMs));
            } else if (step == L"settings") {
                attached().FillFirstStart(FirstLine(steps.Take(L"a password file")), timeoutMs);
            } else if (step == L"store-secret") {
                attached().FillStoreSecret(FirstLine(steps.Take(L"a secret key file")), timeoutMs);
            } else if (step == L"wait-state") {
                const std::wstring serial = steps.Take(L"a serial");
                Print(stdout, RowLine(attached().WaitForState(serial, steps.Take(L"a state"), timeoutMs)));
            } else if (step == L"wait-count") {
                size_t count = std::wcstoul(steps.Take(L"a count").c_str(), nullptr, 10);
                for (const auto& row : attached().WaitForStates(steps.Take(L"a state"), count, timeoutMs))
                    Print(stdout, RowLine(row));
            } else if (step == L"rows") {
                for (const auto& row : attached().Rows())
                    Print(stdout, RowLine(row));
            } else if (step == L"rect") {
                const std::wstring which = steps.Take(L"settings or window");
                if (which != L"settings" && which != L"window")
                    throw std::runtime_error("rect of settings or window");
                PrintRect(which == L"settings" ? attached().WaitForSettings(timeoutMs)
                                               : attached().WaitForMainWindow(timeoutMs));
            } else if (step == L"ask-close") {
                attached().AskToClose(timeoutMs);
            } else if (step == L"close") {
                attached().Close(timeoutMs);
            } else if (step == L"ping-until") {
                PingUntil(attached(), steps.Take(L"a file"));
            } else if (step == L"memory") {
                Print(stdout, L"memory " + std::to_wstring(attached().PeakWorkingSetKiB()));
            } else {
                throw std::runtime_error("unknown step");
            }
        }
    } catch (const std::exception& failure) {
        Print(stderr, L"probe: " + Widen(failure.what()));
        if (dock && dock->Running() && dock->MainWindow()) {
            try {
                for (const auto& row : dock->Rows())
                    Print(stderr, L"probe: " + RowLine(row));
            } catch (const std::exception&) {
            }
        }
        return 1;
    }
    return 0;
}
