// The dock window: one row per camera, the dock's actions, and a status
// bar. The station's events arrive on the dock's threads and reach this
// window only through its queue and a posted message; nothing here waits
// on a camera or a file.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dock/AuditView.h"
#include "dock/CameraRows.h"
#include "dock/DockEvents.h"
#include "dock/DockSettings.h"
#include "station/Dock.h"
#include "ui/Dialog.h"

// The main window's class, by which a second start finds the first.
inline constexpr wchar_t kDockWindowClass[] = L"OrvaneDockWindow";

class DockWindow : public ui::Dialog {
public:
    explicit DockWindow(DockSettings settings);
    ~DockWindow() override;

    // Where the station reports; for the dock and for tests that play it.
    station::StationEvents& Events() { return *m_events; }

protected:
    BOOL OnInitDialog() override;
    // Enter is no way to close the dock: copies would stop unasked.
    void OnOK() override {}
    void OnCancel() override;
    bool PreTranslateMessage(MSG* message) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // What the status thread found.
    struct StatusFacts {
        bool archiveReachable = false;
        std::uint64_t archiveFree = 0;
        bool inStore = false;      // an archive in an object store:
        std::string storeProblem;  // empty when it answers
        AuditView audit;
    };

    void ApplyLanguage();
    void FirstStart();
    void StartDock();
    void StopDock();
    void OnStopStart();
    void OnSettings();
    void OnVerify();
    void OnAudit();
    void OnOpenBag();
    void DrainEvents();
    void RefreshRows();
    void RefreshStatus();
    std::wstring ArchiveStatus(Language language) const;
    void CheckStatus();
    void StatusChecked();
    void RunEnded(station::Outcome outcome, const std::string& reason);
    LRESULT QueryEndSession();
    void EndSession(bool ending);
    // The controls placed for the window's size, from where the template
    // put them.
    void RememberDesign();
    void Layout();
    void LayoutStatusBar();

    DockSettings m_settings;
    EventQueue m_queue;
    // Where the station's threads post their wake-up; null until the
    // window is there and again once it goes.
    std::atomic<HWND> m_wakeTarget{nullptr};
    std::unique_ptr<QueuedEvents> m_events;
    std::unique_ptr<station::Dock> m_dock;
    CameraRows m_rows;
    std::vector<RowTexts> m_shown;
    std::uint64_t m_layoutShown = 0;
    bool m_running = false;
    bool m_stopping = false;
    bool m_closing = false;
    bool m_shutdownBlocked = false;
    std::wstring m_runEnded;

    std::thread m_statusThread;
    bool m_statusAgain = false;
    std::unique_ptr<StatusFacts> m_facts;
    StatusFacts m_shownFacts;
    bool m_haveFacts = false;
    std::uint64_t m_lastStatusMs = 0;

    static constexpr std::size_t kAnchoredControls = 6;
    RECT m_designClient{};
    RECT m_designRects[kAnchoredControls]{};
    LONG m_minWidth = 0;
};

// Registers the window class the dock's template names; once per process.
void RegisterDockWindowClass();
