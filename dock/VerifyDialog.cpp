#include "dock/VerifyDialog.h"

#include <commctrl.h>

#include <thread>

#include "DockResources.h"
#include "dock/WindowTexts.h"
#include "platform/WindowsPaths.h"
#include "station/Secret.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 250;

constexpr ControlText kTexts[] = {
    {0, DockText::VerifyTitle},
    {IDC_VERIFY_STOP, DockText::VerifyStop},
    {IDCANCEL, DockText::Close},
};

constexpr ListColumn kColumns[] = {{DockText::ColumnBag, 300}, {DockText::ColumnResult, 400}};

std::wstring ResultText(const BagCheckLine& line, Language language)
{
    std::wstring why = platform::Wide(line.why);
    switch (line.result) {
    case BagCheckLine::Result::Valid:
        return DockTextOf(language, DockText::VerifyValid);
    case BagCheckLine::Result::Invalid:
        return FormatText(DockTextOf(language, DockText::VerifyInvalid), {why});
    case BagCheckLine::Result::Unfinished:
        return DockTextOf(language, DockText::VerifyUnfinished);
    case BagCheckLine::Result::Unlisted:
        return FormatText(DockTextOf(language, DockText::VerifyUnlisted), {why});
    case BagCheckLine::Result::Stopped:
        break;
    }
    return DockTextOf(language, DockText::VerifyStopped);
}

}  // namespace

VerifyDialog::VerifyDialog(station::DockSettings settings, Language language, HWND parent)
    : ui::Dialog(IDD_DOCK_VERIFY, parent), m_archive(settings.archive), m_access(settings.store), m_language(language)
{
    station::WipeSecrets(settings);
}

VerifyDialog::~VerifyDialog()
{
    WipeText(m_access.secretAccessKey);
    WipeText(m_access.sessionToken);
}

BOOL VerifyDialog::OnInitDialog()
{
    ApplyTexts(hwnd(), m_language, kTexts);
    HWND list = GetDlgItem(IDC_VERIFY_RESULTS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumns(list, m_language, kColumns, std::size(kColumns));
    SendDlgItemMessageW(hwnd(), IDC_VERIFY_PROGRESS, PBM_SETRANGE32, 0, 1000);
    m_check = std::make_unique<ArchiveCheck>(m_host, m_archive, m_access,
                                             std::max(1u, std::thread::hardware_concurrency()));
    WipeText(m_access.secretAccessKey);
    WipeText(m_access.sessionToken);
    SetTimer(kPollTimer, kPollMs);
    return TRUE;
}

void VerifyDialog::Poll()
{
    if (!m_check)
        return;
    ArchiveCheckState state = m_check->Snapshot(m_linesShown);
    HWND list = GetDlgItem(IDC_VERIFY_RESULTS);
    for (const BagCheckLine& line : state.lines) {
        int item = static_cast<int>(m_linesShown++);
        SetListText(list, item, 0, platform::Wide(PathBelow(m_archive, line.path)));
        SetListText(list, item, 1, ResultText(line, m_language));
        if (line.result == BagCheckLine::Result::Valid)
            ++m_valid;
    }
    // Done bags, and the share of the one being hashed.
    std::uint64_t permille = 0;
    if (state.bagsFound > 0) {
        std::uint64_t bagShare = state.bytesTotal ? state.bytesDone * 1000 / state.bytesTotal : 0;
        permille = (state.bagsDone * 1000 + (state.done ? 0 : bagShare)) / state.bagsFound;
    }
    SendDlgItemMessageW(hwnd(), IDC_VERIFY_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(state.done ? 1000 : permille), 0);
    auto number = [](std::size_t value) { return std::to_wstring(value); };
    std::wstring status;
    if (!state.done)
        status = FormatText(DockTextOf(m_language, DockText::VerifyProgress),
                            {number(state.bagsDone), number(state.bagsFound)});
    else if (m_linesShown == 0)
        status = DockTextOf(m_language, DockText::VerifyNoBags);
    else
        status = FormatText(DockTextOf(m_language, DockText::VerifyDone),
                            {number(m_valid), number(m_linesShown - m_valid)});
    ::SetDlgItemTextW(hwnd(), IDC_VERIFY_STATUS, status.c_str());
    if (!state.done)
        return;
    KillTimer(kPollTimer);
    EnableWindow(GetDlgItem(IDC_VERIFY_STOP), FALSE);
    if (m_closing)
        EndDialog(IDCANCEL);
}

void VerifyDialog::Stop()
{
    if (m_check)
        m_check->RequestStop();
    EnableWindow(GetDlgItem(IDC_VERIFY_STOP), FALSE);
}

// Closing stops the check first and goes once its thread has ended, so
// that the window thread never waits on a file being hashed.
void VerifyDialog::OnCancel()
{
    m_closing = true;
    Stop();
    if (!m_check || m_check->Snapshot(m_linesShown).done)
        EndDialog(IDCANCEL);
}

bool VerifyDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&)
{
    if (message == WM_TIMER && wParam == kPollTimer) {
        Poll();
        return true;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_VERIFY_STOP && HIWORD(wParam) == BN_CLICKED) {
        Stop();
        return true;
    }
    return false;
}
