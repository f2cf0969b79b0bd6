// Every text of the dock window in the product's four languages, looked up
// by id in the language the operator chose. Patterns take values as {1},
// {2}, ... so that each language orders them as it must.
#pragma once

#include <initializer_list>

#include "core/WideText.h"
#include "texts/TextTable.h"

enum class DockText : int {
    Title,
    // The cameras' columns, in order.
    ColumnSerial,
    ColumnCameraId,
    ColumnUserName,
    ColumnState,
    ColumnProgress,
    ColumnBag,
    // A camera's state.
    StateConnecting,
    StateSigningIn,
    StateWaitingForCard,
    StateCopying,
    StateChecking,
    StateVerifying,
    StateSealing,
    StateFormatting,
    StateSafeToUnplug,
    StateFinished,
    StateFailed,  // {1}: what to do
    AdvicePlugInAgain,
    AdviceArchiveFull,
    AdviceWrongPassword,
    AdviceAuditFailed,
    AdviceNoCamera,
    AdviceOtherFailure,
    // Progress: {1} percent, {2} MB/s, {3} time left.
    ProgressPercent,
    ProgressRate,
    ProgressTimeLeft,
    TimeHours,    // {1} h {2} min
    TimeMinutes,  // {1} min {2} s
    TimeSeconds,  // {1} s
    SizeMegabytes,
    SizeGigabytes,
    // Buttons of the dock.
    StopDock,
    StartDock,
    VerifyArchive,
    AuditTrail,
    OpenBagFolder,
    Settings,
    // Status bar.
    StatusArchiveFree,  // {1} free space
    StatusNoArchive,
    StatusArchiveReachable,  // an archive in an object store
    StatusArchiveProblem,    // {1} the store's problem
    StatusChainWhole,
    StatusChainBroken,  // {1} line
    StatusChainUnreadable,
    StatusChainChecking,
    StatusToday,  // {1} offloaded, {2} failed
    StatusStopped,
    StatusWaiting,
    StatusStopping,
    StatusRunEnded,  // {1} why
    // Closing and shutdown.
    ConfirmCloseCaption,
    ConfirmClose,
    ShutdownReason,
    NoBagYet,
    // Settings dialog.
    SettingsTitle,
    ArchiveLabel,
    AuditFileLabel,
    FormatAfterLabel,
    AccountLabel,
    PasswordLabel,
    TryPassword,
    LanguageLabel,
    MaxCopiesLabel,
    PickArchive,
    PickAuditFile,
    // The archive in an object store.
    StoreGroup,
    EndpointLabel,
    EndpointHint,
    RegionLabel,
    AccessKeyIdLabel,
    SecretKeyLabel,
    RetainDaysLabel,
    RetainDaysHint,
    LockModeLabel,
    LockCompliance,
    LockGovernance,
    PresetHint,
    Ok,
    Cancel,
    TrialRunning,
    TrialAccepted,
    TrialRefused,
    TrialNoCamera,
    TrialDockRunning,
    SettingsWhileRunning,
    ProblemArchive,
    ProblemAuditFile,
    ProblemPassword,
    ProblemMaxCopies,
    ProblemEndpoint,
    ProblemRegion,
    ProblemAccessKeyId,
    ProblemSecretKey,
    ProblemRetainDays,
    ProblemNotSaved,
    // Verify archive dialog.
    VerifyTitle,
    VerifyStop,
    Close,
    ColumnResult,
    VerifyValid,
    VerifyInvalid,     // {1} why
    VerifyUnfinished,
    VerifyUnlisted,    // {1} why
    VerifyStopped,
    VerifyNoBags,
    VerifyProgress,    // {1} bags done, {2} found
    VerifyDone,        // {1} valid, {2} not
    // Audit trail dialog.
    AuditTitle,
    AuditWhole,        // {1} lines
    AuditBroken,       // {1} line, {2} why
    AuditUnreadable,   // {1} why
    AuditAwaitsChain,  // {1} lines
    Count
};

const WideChar* DockTextOf(Language language, DockText id);

// `pattern` with {1}, {2}, ... replaced by the values in order.
WideString FormatText(const WideChar* pattern, std::initializer_list<WideString> values);

// A language's own name, as the language menus of the product show it.
const WideChar* LanguageOwnName(Language language);
