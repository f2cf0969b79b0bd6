// Works the dock window of a running OrvaneDock.exe from outside, as another
// program on the desktop could: finds it by its window class, reads its
// rows from the list view (in the dock's own memory, where the list view
// writes them), fills in its first-start settings and closes it. Every wait
// is bounded and throws WaitTimedOut when it runs out.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ProgramDriver.h"

namespace e2e {

// One row of the dock, its columns in the window's order.
struct DockRow {
    std::wstring serial, cameraId, userName, state, progress, bag;
};

class DockWindow {
public:
    // Waits for the dock's window or its first-start settings dialog,
    // whichever shows, and opens the dock's process.
    static DockWindow Attach(DWORD timeoutMs);

    DWORD processId() const { return m_processId; }
    bool Running() const;
    // The main window; null while the first-start settings are open.
    HWND MainWindow() const;
    // Waits until the first-start settings show; returns the dialog.
    HWND WaitForSettings(DWORD timeoutMs) const;
    // Waits until the main window shows; returns it.
    HWND WaitForMainWindow(DWORD timeoutMs) const;
    std::vector<DockRow> Rows() const;

    // The settings dialog the dock opens before its first start: its
    // password field gets `password`, then OK; returns once the main window shows.
    void FillFirstStart(const std::wstring& password, DWORD timeoutMs) const;
    // The same dialog's secret key of an archive in an object store gets
    // `secret`; the dialog stays open.
    void FillStoreSecret(const std::wstring& secret, DWORD timeoutMs) const;
    // Waits until `count` rows have a state holding `text` (any case);
    // returns the rows as they were then.
    std::vector<DockRow> WaitForStates(const std::wstring& text, size_t count, DWORD timeoutMs) const;
    // Waits until the row of `serial` has a state holding `text`.
    DockRow WaitForState(const std::wstring& serial, const std::wstring& text, DWORD timeoutMs) const;
    // Closes the main window and answers the dock's question (stop the
    // copies?) with yes; returns once the answer is taken (the question
    // gone) or the dock has ended.
    void AskToClose(DWORD timeoutMs) const;
    // AskToClose, then waits until the dock has ended.
    void Close(DWORD timeoutMs) const;

    // One round trip of a message to the main window, in milliseconds;
    // negative when it did not answer within `timeoutMs`.
    double RoundTripMs(DWORD timeoutMs) const;
    SIZE_T PeakWorkingSetKiB() const;

private:
    UniqueHandle m_process;
    DWORD m_processId = 0;
};

// "serial|camera ID|user|state|progress|bag", for reports.
std::wstring Describe(const DockRow& row);

} // namespace e2e
