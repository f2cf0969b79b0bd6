#include "dock/SettingsDialog.h"

#include <string>

#include "DockResources.h"
#include "dock/PathPicker.h"
#include "dock/SettingsStore.h"
#include "dock/SignInTrial.h"
#include "dock/WindowTexts.h"
#include "platform/WindowsPaths.h"

namespace {

constexpr UINT kTrialDone = WM_APP + 10;

constexpr ControlText kTexts[] = {
    {0, DockText::SettingsTitle},
    {IDC_ARCHIVE_LABEL, DockText::ArchiveLabel},
    {IDC_AUDIT_FILE_LABEL, DockText::AuditFileLabel},
    {IDC_FORMAT_AFTER, DockText::FormatAfterLabel},
    {IDC_ACCOUNT_LABEL, DockText::AccountLabel},
    {IDC_PASSWORD_LABEL, DockText::PasswordLabel},
    {IDC_TRY_PASSWORD, DockText::TryPassword},
    {IDC_LANGUAGE_LABEL, DockText::LanguageLabel},
    {IDC_MAX_COPIES_LABEL, DockText::MaxCopiesLabel},
    {IDC_STORE_GROUP, DockText::StoreGroup},
    {IDC_ENDPOINT_LABEL, DockText::EndpointLabel},
    {IDC_ENDPOINT_HINT, DockText::EndpointHint},
    {IDC_REGION_LABEL, DockText::RegionLabel},
    {IDC_ACCESS_KEY_ID_LABEL, DockText::AccessKeyIdLabel},
    {IDC_SECRET_KEY_LABEL, DockText::SecretKeyLabel},
    {IDC_RETAIN_DAYS_LABEL, DockText::RetainDaysLabel},
    {IDC_RETAIN_DAYS_HINT, DockText::RetainDaysHint},
    {IDC_LOCK_MODE_LABEL, DockText::LockModeLabel},
    {IDC_PRESET_HINT, DockText::PresetHint},
    {IDOK, DockText::Ok},
    {IDCANCEL, DockText::Cancel},
};

// What only an archive in an object store shows.
constexpr int kStoreControls[] = {
    IDC_STORE_GROUP,     IDC_ENDPOINT_LABEL,    IDC_ENDPOINT,          IDC_ENDPOINT_HINT,  IDC_REGION_LABEL,
    IDC_REGION,          IDC_ACCESS_KEY_ID_LABEL, IDC_ACCESS_KEY_ID,   IDC_SECRET_KEY_LABEL, IDC_SECRET_KEY,
    IDC_RETAIN_DAYS_LABEL, IDC_RETAIN_DAYS,     IDC_RETAIN_DAYS_HINT,  IDC_LOCK_MODE_LABEL, IDC_LOCK_MODE,
};
// What sits below them, and moves up while they are hidden.
constexpr int kBelowStore[] = {IDC_PRESET_HINT, IDC_SETTINGS_PROBLEM, IDOK, IDCANCEL};

// The language list in the camera program's menu order.
constexpr Language kLanguages[] = {kEnglish, kChinese, kRussian, kUkrainian};

void SetChecked(HWND dialog, int id, bool checked)
{
    SendDlgItemMessageW(dialog, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int Selection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

DockText ProblemText(SettingsProblem problem)
{
    switch (problem) {
    case SettingsProblem::Archive:
        return DockText::ProblemArchive;
    case SettingsProblem::AuditFile:
        return DockText::ProblemAuditFile;
    case SettingsProblem::Password:
        return DockText::ProblemPassword;
    case SettingsProblem::Endpoint:
        return DockText::ProblemEndpoint;
    case SettingsProblem::Region:
        return DockText::ProblemRegion;
    case SettingsProblem::AccessKeyId:
        return DockText::ProblemAccessKeyId;
    case SettingsProblem::SecretKey:
        return DockText::ProblemSecretKey;
    case SettingsProblem::RetainDays:
        return DockText::ProblemRetainDays;
    case SettingsProblem::MaxCopies:
    case SettingsProblem::None:
        break;
    }
    return DockText::ProblemMaxCopies;
}

int ControlOf(SettingsProblem problem)
{
    switch (problem) {
    case SettingsProblem::Archive:
        return IDC_ARCHIVE;
    case SettingsProblem::AuditFile:
        return IDC_AUDIT_FILE;
    case SettingsProblem::Password:
        return IDC_PASSWORD;
    case SettingsProblem::Endpoint:
        return IDC_ENDPOINT;
    case SettingsProblem::Region:
        return IDC_REGION;
    case SettingsProblem::AccessKeyId:
        return IDC_ACCESS_KEY_ID;
    case SettingsProblem::SecretKey:
        return IDC_SECRET_KEY;
    case SettingsProblem::RetainDays:
        return IDC_RETAIN_DAYS;
    case SettingsProblem::MaxCopies:
    case SettingsProblem::None:
        break;
    }
    return IDC_MAX_COPIES;
}

void WipeSecretControls(HWND dialog)
{
    ::SetDlgItemTextW(dialog, IDC_PASSWORD, L"");
    ::SetDlgItemTextW(dialog, IDC_SECRET_KEY, L"");
}

std::string FieldText(HWND dialog, int id)
{
    return platform::Narrow(ControlString(dialog, id));
}

// An empty field is 0 days; what is no number in range is more than the
// bound, so that the check names it rather than a silent 0.
std::uint32_t RetainDaysIn(HWND dialog)
{
    BOOL number = FALSE;
    UINT days = GetDlgItemInt(dialog, IDC_RETAIN_DAYS, &number, FALSE);
    if (number)
        return days;
    return ControlString(dialog, IDC_RETAIN_DAYS).empty() ? 0 : kMaxRetainDays + 1;
}

}  // namespace

SettingsDialog::SettingsDialog(DockSettings settings, bool dockRunning, HWND parent)
    : ui::Dialog(IDD_DOCK_SETTINGS, parent), m_settings(std::move(settings)), m_dockRunning(dockRunning)
{
}

SettingsDialog::~SettingsDialog()
{
    if (m_trial.joinable())
        m_trial.join();
}

BOOL SettingsDialog::OnInitDialog()
{
    HWND dialog = hwnd();
    // Before the archive's text comes, which shows or hides them.
    m_storeHeight = Top(IDC_PRESET_HINT) - Top(IDC_STORE_GROUP);
    ::SetDlgItemTextW(dialog, IDC_ARCHIVE, platform::Wide(m_settings.archive).c_str());
    ::SetDlgItemTextW(dialog, IDC_AUDIT_FILE, platform::Wide(m_settings.auditFile).c_str());
    SetChecked(dialog, IDC_FORMAT_AFTER, m_settings.formatAfter);
    ::SetDlgItemTextW(dialog, IDC_PASSWORD, platform::Wide(m_settings.password).c_str());
    SetDlgItemInt(dialog, IDC_MAX_COPIES, m_settings.maxCopies, FALSE);
    SendDlgItemMessageW(dialog, IDC_MAX_COPIES, EM_LIMITTEXT, 2, 0);
    ::SetDlgItemTextW(dialog, IDC_ENDPOINT, platform::Wide(m_settings.endpoint).c_str());
    ::SetDlgItemTextW(dialog, IDC_REGION, platform::Wide(m_settings.region).c_str());
    ::SetDlgItemTextW(dialog, IDC_ACCESS_KEY_ID, platform::Wide(m_settings.accessKeyId).c_str());
    ::SetDlgItemTextW(dialog, IDC_SECRET_KEY, platform::Wide(m_settings.secretKey).c_str());
    SetDlgItemInt(dialog, IDC_RETAIN_DAYS, m_settings.retainDays, FALSE);
    // One digit more than the bound, so that a slip is named, not cut.
    SendDlgItemMessageW(dialog, IDC_RETAIN_DAYS, EM_LIMITTEXT, 6, 0);
    FillChoices();
    ApplyLanguage();
    ShowStoreControls();
    EnableControls();
    return TRUE;
}

void SettingsDialog::FillChoices()
{
    HWND dialog = hwnd();
    for (Language language : kLanguages) {
        auto item = SendDlgItemMessageW(dialog, IDC_LANGUAGE, CB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(LanguageOwnName(language)));
        SendDlgItemMessageW(dialog, IDC_LANGUAGE, CB_SETITEMDATA, item, language);
        if (language == m_settings.language)
            SendDlgItemMessageW(dialog, IDC_LANGUAGE, CB_SETCURSEL, item, 0);
    }
}

Language SettingsDialog::ChosenLanguage() const
{
    int item = Selection(hwnd(), IDC_LANGUAGE);
    if (item < 0)
        return m_settings.language;
    return static_cast<Language>(SendDlgItemMessageW(hwnd(), IDC_LANGUAGE, CB_GETITEMDATA, item, 0));
}

void SettingsDialog::ApplyLanguage()
{
    HWND dialog = hwnd();
    Language language = ChosenLanguage();
    ApplyTexts(dialog, language, kTexts);
    // The accounts as the camera program names them.
    int account = Selection(dialog, IDC_ACCOUNT);
    if (account < 0)
        account = m_settings.userAccount ? 1 : 0;
    SendDlgItemMessageW(dialog, IDC_ACCOUNT, CB_RESETCONTENT, 0, 0);
    for (int entry : {kTextAdministrator, kTextUser})
        SendDlgItemMessageW(dialog, IDC_ACCOUNT, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(g_textTable[language]->entries[entry]));
    SendDlgItemMessageW(dialog, IDC_ACCOUNT, CB_SETCURSEL, account, 0);
    int mode = Selection(dialog, IDC_LOCK_MODE);
    if (mode < 0)
        mode = m_settings.governance ? 1 : 0;
    SendDlgItemMessageW(dialog, IDC_LOCK_MODE, CB_RESETCONTENT, 0, 0);
    for (DockText name : {DockText::LockCompliance, DockText::LockGovernance})
        SendDlgItemMessageW(dialog, IDC_LOCK_MODE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(DockTextOf(language, name)));
    SendDlgItemMessageW(dialog, IDC_LOCK_MODE, CB_SETCURSEL, mode, 0);
    ::SetDlgItemTextW(dialog, IDC_TRIAL_RESULT, m_dockRunning ? DockTextOf(language, DockText::TrialDockRunning) : L"");
    ::SetDlgItemTextW(dialog, IDC_SETTINGS_PROBLEM,
                    m_dockRunning ? DockTextOf(language, DockText::SettingsWhileRunning) : L"");
}

void SettingsDialog::EnableControls()
{
    auto enable = [&](int id, bool editable) { EnableWindow(GetDlgItem(id), editable && !m_dockRunning); };
    enable(IDC_ARCHIVE, !m_settings.IsPreset(Setting::Archive));
    enable(IDC_BROWSE_ARCHIVE, !m_settings.IsPreset(Setting::Archive));
    enable(IDC_AUDIT_FILE, !m_settings.IsPreset(Setting::AuditFile));
    enable(IDC_BROWSE_AUDIT_FILE, !m_settings.IsPreset(Setting::AuditFile));
    enable(IDC_FORMAT_AFTER, !m_settings.IsPreset(Setting::FormatAfter));
    enable(IDC_ACCOUNT, !m_settings.IsPreset(Setting::Account));
    enable(IDC_MAX_COPIES, !m_settings.IsPreset(Setting::MaxCopies));
    enable(IDC_ENDPOINT, !m_settings.IsPreset(Setting::Endpoint));
    enable(IDC_REGION, !m_settings.IsPreset(Setting::Region));
    enable(IDC_ACCESS_KEY_ID, !m_settings.IsPreset(Setting::AccessKeyId));
    enable(IDC_SECRET_KEY, true);
    enable(IDC_RETAIN_DAYS, !m_settings.IsPreset(Setting::RetainDays));
    enable(IDC_LOCK_MODE, !m_settings.IsPreset(Setting::LockMode));
    enable(IDC_PASSWORD, !m_trial.joinable());
    enable(IDC_TRY_PASSWORD, !m_trial.joinable());
    EnableWindow(GetDlgItem(IDC_LANGUAGE), !m_settings.IsPreset(Setting::Language));
    EnableWindow(GetDlgItem(IDOK), !m_trial.joinable());
    EnableWindow(GetDlgItem(IDCANCEL), !m_trial.joinable());
    ShowWindow(GetDlgItem(IDC_PRESET_HINT), m_settings.presets != 0 ? SW_SHOW : SW_HIDE);
}

int SettingsDialog::Top(int id) const
{
    RECT rect{};
    ::GetWindowRect(GetDlgItem(id), &rect);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect.top;
}

// The store's fields only for an s3:// archive; for a folder the dialog
// closes up over them.
void SettingsDialog::ShowStoreControls()
{
    bool shown = IsStoreArchive(FieldText(hwnd(), IDC_ARCHIVE));
    for (int id : kStoreControls)
        ShowWindow(GetDlgItem(id), shown ? SW_SHOW : SW_HIDE);
    if (shown == m_storeShown)
        return;
    m_storeShown = shown;
    int shift = shown ? m_storeHeight : -m_storeHeight;
    for (int id : kBelowStore) {
        RECT rect{};
        HWND control = GetDlgItem(id);
        ::GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(control, nullptr, rect.left, rect.top + shift, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + shift,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::ShowProblem(DockText text)
{
    ::SetDlgItemTextW(hwnd(), IDC_SETTINGS_PROBLEM, DockTextOf(ChosenLanguage(), text));
}

void SettingsDialog::TryPassword()
{
    if (m_dockRunning || m_trial.joinable())
        return;
    std::string password = platform::Narrow(ControlString(hwnd(), IDC_PASSWORD));
    bool user = Selection(hwnd(), IDC_ACCOUNT) == 1;
    ::SetDlgItemTextW(hwnd(), IDC_TRIAL_RESULT, DockTextOf(ChosenLanguage(), DockText::TrialRunning));
    HWND window = hwnd();
    m_trial = std::thread([window, user, password]() mutable {
        TrialResult result = TrySignIn(user, password);
        SecureZeroMemory(&password[0], password.size());
        PostMessageW(window, kTrialDone, static_cast<WPARAM>(result), 0);
    });
    EnableControls();
}

void SettingsDialog::TrialDone(WPARAM result)
{
    if (m_trial.joinable())
        m_trial.join();
    DockText text = DockText::TrialNoCamera;
    if (result == static_cast<WPARAM>(TrialResult::Accepted))
        text = DockText::TrialAccepted;
    else if (result == static_cast<WPARAM>(TrialResult::Refused))
        text = DockText::TrialRefused;
    ::SetDlgItemTextW(hwnd(), IDC_TRIAL_RESULT, DockTextOf(ChosenLanguage(), text));
    EnableControls();
}

void SettingsDialog::Browse(int edit, DockText title, Picker pick)
{
    std::wstring chosen = pick(hwnd(), DockTextOf(ChosenLanguage(), title), ControlString(hwnd(), edit));
    if (!chosen.empty())
        ::SetDlgItemTextW(hwnd(), edit, chosen.c_str());
}

void SettingsDialog::OnOK()
{
    if (m_trial.joinable())
        return;
    HWND dialog = hwnd();
    DockSettings chosen = m_settings;
    chosen.language = ChosenLanguage();
    if (!m_dockRunning) {
        chosen.archive = platform::Narrow(ControlString(dialog, IDC_ARCHIVE));
        chosen.auditFile = platform::Narrow(ControlString(dialog, IDC_AUDIT_FILE));
        chosen.formatAfter = SendDlgItemMessageW(dialog, IDC_FORMAT_AFTER, BM_GETCHECK, 0, 0) == BST_CHECKED;
        chosen.userAccount = Selection(dialog, IDC_ACCOUNT) == 1;
        chosen.password = FieldText(dialog, IDC_PASSWORD);
        chosen.maxCopies = GetDlgItemInt(dialog, IDC_MAX_COPIES, nullptr, FALSE);
        chosen.endpoint = FieldText(dialog, IDC_ENDPOINT);
        chosen.region = FieldText(dialog, IDC_REGION);
        chosen.accessKeyId = FieldText(dialog, IDC_ACCESS_KEY_ID);
        chosen.secretKey = FieldText(dialog, IDC_SECRET_KEY);
        chosen.retainDays = RetainDaysIn(dialog);
        chosen.governance = Selection(dialog, IDC_LOCK_MODE) == 1;
    }
    SettingsProblem problem = CheckSettings(chosen);
    if (problem != SettingsProblem::None) {
        ShowProblem(ProblemText(problem));
        SetFocus(GetDlgItem(ControlOf(problem)));
        return;
    }
    std::string why;
    if (!settings_store::Save(chosen, why)) {
        ShowProblem(DockText::ProblemNotSaved);
        return;
    }
    m_settings = std::move(chosen);
    WipeSecretControls(dialog);
    EndDialog(IDOK);
}

void SettingsDialog::OnCancel()
{
    if (m_trial.joinable())
        return;
    WipeSecretControls(hwnd());
    EndDialog(IDCANCEL);
}

bool SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&)
{
    if (message == kTrialDone) {
        TrialDone(wParam);
        return true;
    }
    if (message != WM_COMMAND)
        return false;
    if (LOWORD(wParam) == IDC_TRY_PASSWORD && HIWORD(wParam) == BN_CLICKED) {
        TryPassword();
        return true;
    }
    if (LOWORD(wParam) == IDC_BROWSE_ARCHIVE && HIWORD(wParam) == BN_CLICKED) {
        Browse(IDC_ARCHIVE, DockText::PickArchive, PickFolder);
        return true;
    }
    if (LOWORD(wParam) == IDC_BROWSE_AUDIT_FILE && HIWORD(wParam) == BN_CLICKED) {
        Browse(IDC_AUDIT_FILE, DockText::PickAuditFile, PickAuditFile);
        return true;
    }
    if (LOWORD(wParam) == IDC_ARCHIVE && HIWORD(wParam) == EN_CHANGE) {
        ShowStoreControls();
        return true;
    }
    if (LOWORD(wParam) == IDC_LANGUAGE && HIWORD(wParam) == CBN_SELCHANGE) {
        ApplyLanguage();
        return true;
    }
    return false;
}
