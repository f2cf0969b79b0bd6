// orvanectl: the camera tool for the command line and the provisioning
// station. Checks every input before it touches a camera.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

#include "cli/ArchiveVerify.h"
#include "cli/AuditVerify.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/FieldMessages.h"
#include "cli/Offload.h"
#include "cli/Platform.h"
#include "cli/Provision.h"
#include "cli/Secrets.h"

#ifdef _WIN32
#include "core/CodePages.h"
#include <cwchar>
#endif

namespace {

struct IdentityOptions {
    std::string values[5];
    CLI::Option* given[5] = {};
};

const InputField kIdentityFields[5] = {InputField::CameraId, InputField::UserId, InputField::UserName,
                                       InputField::DepartmentId, InputField::DepartmentName};
const char* const kIdentityFlags[5] = {"--camera-id", "--user-id", "--user-name", "--department-id",
                                       "--department-name"};

struct Command {
    CLI::App* status;
    CLI::App* syncTime;
    CLI::App* identityGet;
    CLI::App* identitySet;
    CLI::App* serialGet;
    CLI::App* serialSet;
    CLI::App* passwordSet;
    CLI::App* usbStorage;
    CLI::App* format;
    CLI::App* provision;
    CLI::App* auditVerify;
};

struct Arguments {
    GlobalOptions global;
    IdentityOptions identity;
    std::string serial;
    std::string account;
    std::string newPasswordFile;
    bool formatConfirmed = false;
    std::string fleetFile;
    StationOptions station;
    bool noSyncTime = false;
    std::string auditFile;
};

int UsageError(const std::string& message)
{
    platform::WriteError("orvanectl: " + message + "\n");
    return kExitUsage;
}

Command Define(CLI::App& app, Arguments& a)
{
    app.set_version_flag("--version", "orvanectl " ORVANE_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    app.footer("The sign-in password comes from --password-file, else ORVANE_PASSWORD, else a prompt\n"
               "without echo; never from an argument.\n"
               "Exit codes: 0 done; 1 the camera refused or an operation failed; 2 usage or input\n"
               "error (no camera touched); 3 no vendor library or no camera; 4 sign-in refused;\n"
               "5 the camera's serial number is not in the fleet file.");
    app.add_flag("--json", a.global.json, "one JSON object per result line");
    app.add_flag("--verbose", a.global.verbose, "show the camera library's trace on standard error");
    app.add_flag("--user", a.global.user, "sign in as User instead of Administrator");
    app.add_option("--password-file", a.global.passwordFile, "sign-in password: the file's first line")
        ->type_name("FILE");
    auto* audit = app.add_option("--audit", a.global.auditPath, "append the audit trail to FILE")->type_name("FILE");
    app.add_flag("--no-audit", a.global.noAudit, "keep no audit trail")->excludes(audit);

    Command c{};
    c.status = app.add_subcommand("status", "serial number, resolution, battery and identity of the camera");
    c.syncTime = app.add_subcommand("sync-time", "set the camera's clock to this computer's local time");
    CLI::App* identity = app.add_subcommand("identity", "read or change the identity record");
    identity->require_subcommand(1)->fallthrough();
    c.identityGet = identity->add_subcommand("get", "show the identity record");
    c.identitySet = identity->add_subcommand("set", "change the fields given, then read them back");
    for (int i = 0; i < 5; ++i) {
        a.identity.given[i] = c.identitySet->add_option(kIdentityFlags[i], a.identity.values[i]);
    }
    CLI::App* serial = app.add_subcommand("serial", "read or set the serial number");
    serial->require_subcommand(1)->fallthrough();
    c.serialGet = serial->add_subcommand("get", "show the serial number");
    c.serialSet = serial->add_subcommand("set", "set the serial number (1 to 20 printable ASCII)");
    c.serialSet->add_option("SERIAL", a.serial)->required();
    CLI::App* password = app.add_subcommand("password", "change a sign-in password");
    password->require_subcommand(1)->fallthrough();
    c.passwordSet = password->add_subcommand("set", "set the admin or user password");
    c.passwordSet->add_option("ACCOUNT", a.account)->required()->check(CLI::IsMember({"admin", "user"}));
    c.passwordSet->add_option("--new-password-file", a.newPasswordFile, "the new password: the file's first line")
        ->type_name("FILE");
    c.usbStorage = app.add_subcommand("usb-storage", "switch the camera to USB storage");
    c.format = app.add_subcommand("format", "format the camera's card");
    c.format->add_flag("--yes", a.formatConfirmed, "confirm: the card's recordings are erased");
    c.provision = app.add_subcommand("provision", "give cameras their identities from a fleet file");
    c.provision->add_option("FLEET", a.fleetFile, "the fleet file (CSV)")->required();
    auto* watch = c.provision->add_flag("--watch", a.station.watch, "provision every camera plugged in until Ctrl+C");
    c.provision->add_option("--count", a.station.count, "with --watch: stop after N cameras")->needs(watch);
    c.provision->add_option("--interval-ms", a.station.intervalMs, "with --watch: how often to look (default 500)")
        ->check(CLI::Range(10u, 60000u))
        ->needs(watch);
    c.provision->add_flag("--no-sync-time", a.noSyncTime, "leave the camera's clock alone");
    CLI::App* auditCommand = app.add_subcommand("audit", "check the audit trail");
    auditCommand->require_subcommand(1)->fallthrough();
    c.auditVerify = auditCommand->add_subcommand("verify", "check that no line of the audit file was changed, "
                                                           "removed, inserted or moved");
    c.auditVerify->add_option("FILE", a.auditFile, "the audit file (default: --audit, else the default one)")
        ->type_name("FILE");
    for (CLI::App* sub : {c.status, c.syncTime, c.identityGet, c.identitySet, c.serialGet, c.serialSet,
                          c.passwordSet, c.usbStorage, c.format, c.provision, c.auditVerify}) {
        sub->fallthrough();
    }
    return c;
}

// The dock's commands: offload, archive verify, format --offloaded-to.
struct CustodyCommands {
    CLI::App* offload;
    CLI::App* archiveVerify;
};

struct CustodyArguments {
    OffloadOptions offload;
    std::vector<std::string> verifyPaths;
    std::string offloadedTo;
};

CustodyCommands DefineCustody(CLI::App& app, CLI::App* format, CustodyArguments& a)
{
    CustodyCommands c{};
    c.offload = app.add_subcommand("offload", "copy the camera's card into a verified bag in the archive");
    c.offload->add_option("--to", a.offload.archive, "the archive folder")->type_name("ARCHIVE")->required();
    c.offload->add_option("--from", a.offload.from, "the card's folder (default: the drive that appears)")
        ->type_name("FOLDER");
    c.offload->add_option("--card-wait", a.offload.cardWaitSeconds, "how long to wait for the card (default 30)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1u, 3600u));
    c.offload->add_flag("--format-after", a.offload.formatAfter,
                        "format the card once the bag is complete and the card holds exactly its files");
    auto* watch = c.offload->add_flag("--watch", a.offload.watch, "offload every camera plugged in until Ctrl+C");
    c.offload->add_option("--count", a.offload.count, "with --watch: stop after N cameras")
        ->type_name("N")
        ->needs(watch);
    c.offload->add_option("--interval-ms", a.offload.intervalMs, "with --watch: how often to look (default 500)")
        ->type_name("MS")
        ->check(CLI::Range(10u, 60000u))
        ->needs(watch);
    CLI::App* archive = app.add_subcommand("archive", "check an archive's bags");
    archive->require_subcommand(1)->fallthrough();
    c.archiveVerify = archive->add_subcommand("verify", "check every bag in each PATH in full (no camera)");
    c.archiveVerify->add_option("PATH", a.verifyPaths, "a bag, or a folder searched for bags")->required();
    format->add_option("--offloaded-to", a.offloadedTo,
                       "format only when ARCHIVE holds a verified bag of this camera")
        ->type_name("ARCHIVE");
    c.offload->fallthrough();
    c.archiveVerify->fallthrough();
    return c;
}

bool Changes(const Command& c, const CLI::App* chosen)
{
    return chosen != c.status && chosen != c.identityGet && chosen != c.serialGet;
}

int CheckIdentityChanges(const IdentityOptions& options, IdentityChanges& changes)
{
    for (int i = 0; i < 5; ++i) {
        if (options.given[i]->count() == 0) {
            continue;
        }
        const FieldProblem problem = CheckField(kIdentityFields[i], options.values[i]);
        if (problem != FieldProblem::None) {
            return UsageError(FieldMessage(kIdentityFields[i], options.values[i], problem));
        }
        WideString text;
        DecodeStrictUtf8(options.values[i], text);
        changes.emplace_back(kIdentityFields[i], text);
    }
    return changes.empty() ? UsageError("identity set: give at least one field to change") : kExitOk;
}

int LoadFleet(const std::string& path, Fleet& fleet)
{
    std::string text;
    if (!platform::ReadWholeFile(path, text)) {
        return UsageError("cannot read the fleet file " + path);
    }
    fleet = ParseFleet(text);
    for (const std::string& problem : fleet.problems) {
        std::string line = path;
        line += ":" + problem + "\n";
        platform::WriteError(line);
    }
    return fleet.problems.empty() ? kExitOk : kExitUsage;
}

int OpenAudit(Session& session)
{
    if (session.options.noAudit) {
        return kExitOk;
    }
    std::string path = session.options.auditPath;
    if (path.empty()) {
        path = platform::DefaultAuditPath();
    }
    if (path.empty()) {
        return UsageError("no default audit file is known here (give --audit FILE or --no-audit)");
    }
    if (!session.audit.Open(path)) {
        return UsageError(session.audit.Problem() + " (give another --audit FILE, or --no-audit)");
    }
    return kExitOk;
}

CLI::App* Chosen(CLI::App& app)
{
    CLI::App* chosen = app.get_subcommands().front();
    while (!chosen->get_subcommands().empty()) {
        chosen = chosen->get_subcommands().front();
    }
    return chosen;
}

int Run(int argc, const char* const* argv)
{
    CLI::App app("Scriptable camera tool and provisioning station.", "orvanectl");
    Arguments a;
    const Command c = Define(app, a);
    CustodyArguments ca;
    const CustodyCommands custody = DefineCustody(app, c.format, ca);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error);  // --help, --version
        }
        return UsageError(std::string(error.what()) + " (see orvanectl --help)");
    }
    CLI::App* chosen = Chosen(app);
    if (chosen == c.auditVerify) {
        return RunAuditVerify(Output(a.global.json), a.auditFile.empty() ? a.global.auditPath : a.auditFile);
    }

    // Everything the command needs from outside is read and checked here,
    // before any camera is touched.
    IdentityChanges changes;
    Fleet fleet;
    std::string newPassword;
    std::string error;
    if (chosen == c.identitySet && CheckIdentityChanges(a.identity, changes) != kExitOk) return kExitUsage;
    if (chosen == c.serialSet && !IsValidSerial(a.serial)) return UsageError(SerialMessage());
    if (chosen == c.format && !a.formatConfirmed) return UsageError("format erases the card: confirm with --yes");
    if (chosen == c.provision && LoadFleet(a.fleetFile, fleet) != kExitOk) return kExitUsage;
    if (chosen == custody.archiveVerify) return RunArchiveVerify(ca.verifyPaths, Output(a.global.json));
    if (chosen == custody.offload && CheckOffloadInput(ca.offload, Output(a.global.json)) != kExitOk) return kExitUsage;
    const bool offloadedTo = chosen == c.format && !ca.offloadedTo.empty();
    if (offloadedTo && CheckOffloadedTo(ca.offloadedTo, Output(a.global.json)) != kExitOk) return kExitUsage;
    if (chosen == c.passwordSet) {
        if (a.account == "admin" && a.global.user) {
            return UsageError("signed in as User, the administrator password cannot be changed");
        }
        if (!ReadNewPassword(a.newPasswordFile, newPassword, error)) return UsageError(error);
        const FieldProblem problem = CheckField(InputField::AdminPassword, newPassword);
        if (problem != FieldProblem::None) return UsageError(FieldMessage(InputField::AdminPassword, "", problem));
    }
    Session session(a.global);
    if (!ReadSignInPassword(a.global.passwordFile, session.password, error)) return UsageError(error);
    if (Changes(c, chosen) && OpenAudit(session) != kExitOk) return kExitUsage;

    platform::DivertStandardOutput(a.global.verbose);
    if (chosen == c.status) return RunStatus(session);
    if (chosen == c.syncTime) return RunSyncTime(session);
    if (chosen == c.identityGet) return RunIdentityGet(session);
    if (chosen == c.identitySet) return RunIdentitySet(session, changes);
    if (chosen == c.serialGet) return RunSerialGet(session);
    if (chosen == c.serialSet) return RunSerialSet(session, a.serial);
    if (chosen == c.passwordSet) {
        return RunPasswordSet(session, a.account == "admin" ? Account::Administrator : Account::User, newPassword);
    }
    if (chosen == c.usbStorage) return RunUsbStorage(session);
    if (chosen == custody.offload) return RunOffload(session, ca.offload);
    if (offloadedTo) return RunFormatOffloaded(session, ca.offloadedTo);
    if (chosen == c.format) return RunFormat(session);
    a.station.syncTime = !a.noSyncTime;
    return RunProvision(session, fleet, a.station);
}

// No exception ends the tool without a word.
int RunGuarded(int argc, const char* const* argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        platform::WriteError(std::string("orvanectl: ") + error.what() + "\n");
    } catch (...) {
        platform::WriteError("orvanectl: unexpected failure\n");
    }
    return kExitFailed;
}

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16 and are handed on as UTF-8.
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) {
        texts.push_back(EncodeUtf8(argv[i], std::wcslen(argv[i])));
    }
    std::vector<const char*> pointers;
    for (const std::string& text : texts) {
        pointers.push_back(text.c_str());
    }
    return RunGuarded(argc, pointers.data());
}
#else
int main(int argc, char** argv)
{
    return RunGuarded(argc, argv);
}
#endif
