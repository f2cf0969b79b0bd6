#include "cli/ExitCodes.h"

ExitCode ExitCodeOf(station::Outcome outcome)
{
    switch (outcome) {
    case station::Outcome::Ok:
        return kExitOk;
    case station::Outcome::SignInRefused:
        return kExitSignInRefused;
    case station::Outcome::NoCamera:
        return kExitNoCamera;
    case station::Outcome::AuditFailed:
        return kExitAuditFailed;
    case station::Outcome::Failed:
    case station::Outcome::CardLost:
    case station::Outcome::ArchiveFull:
    case station::Outcome::Stopped:
        break;
    }
    return kExitFailed;
}
