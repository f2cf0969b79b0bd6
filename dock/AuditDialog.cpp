#include "dock/AuditDialog.h"

#include "DockResources.h"
#include "dock/WindowTexts.h"
#include "platform/WindowsPaths.h"

namespace {

constexpr UINT kRead = WM_APP + 20;
constexpr std::size_t kShownLines = 500;

constexpr ControlText kTexts[] = {
    {0, DockText::AuditTitle},
    {IDCANCEL, DockText::Close},
};

}  // namespace

std::wstring AuditVerdict(const AuditView& view, Language language)
{
    auto number = [](std::uint64_t value) { return std::to_wstring(value); };
    switch (view.chain) {
    case AuditView::Chain::Whole:
        return FormatText(DockTextOf(language, DockText::AuditWhole), {number(view.lines)});
    case AuditView::Chain::AwaitsChain:
        return FormatText(DockTextOf(language, DockText::AuditAwaitsChain), {number(view.lines)});
    case AuditView::Chain::Broken:
        return FormatText(DockTextOf(language, DockText::AuditBroken),
                          {number(view.brokenAt), platform::Wide(view.why)});
    case AuditView::Chain::Unreadable:
        break;
    }
    return FormatText(DockTextOf(language, DockText::AuditUnreadable), {platform::Wide(view.why)});
}

AuditDialog::AuditDialog(std::string auditFile, Language language, HWND parent)
    : ui::Dialog(IDD_DOCK_AUDIT, parent), m_auditFile(std::move(auditFile)), m_language(language)
{
}

AuditDialog::~AuditDialog()
{
    if (m_reader.joinable())
        m_reader.join();
}

BOOL AuditDialog::OnInitDialog()
{
    ApplyTexts(hwnd(), m_language, kTexts);
    ::SetDlgItemTextW(hwnd(), IDC_AUDIT_STATUS, DockTextOf(m_language, DockText::StatusChainChecking));
    HWND window = hwnd();
    m_reader = std::thread([this, window] {
        m_view = ReadAuditView(custody::LocalFileSystem(), m_auditFile, kShownLines);
        PostMessageW(window, kRead, 0, 0);
    });
    return TRUE;
}

void AuditDialog::Show()
{
    if (m_reader.joinable())
        m_reader.join();
    ::SetDlgItemTextW(hwnd(), IDC_AUDIT_STATUS, AuditVerdict(m_view, m_language).c_str());
    std::string text;
    for (const std::string& line : m_view.last)
        text += line + "\r\n";
    ::SetDlgItemTextW(hwnd(), IDC_AUDIT_LINES, platform::Wide(text).c_str());
    // The newest line in view.
    SendDlgItemMessageW(hwnd(), IDC_AUDIT_LINES, EM_LINESCROLL, 0, static_cast<LPARAM>(m_view.last.size()));
}

bool AuditDialog::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT&)
{
    if (message != kRead)
        return false;
    Show();
    return true;
}
