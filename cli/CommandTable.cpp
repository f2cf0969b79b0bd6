// orvanectl: the camera tool for the command line and the provisioning
// station. One table of commands, walked by one dispatcher; every input is
// read and checked before a camera is touched.
#include "cli/Orvanectl.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/ArchiveAccess.h"
#include "cli/ArchiveVerify.h"
#include "cli/AuditVerify.h"
#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "station/ArchiveOpen.h"
#include "station/FieldMessages.h"
#include "station/IdentityFields.h"
#include "cli/OffloadCommand.h"
#include "cli/Console.h"
#include "cli/ProvisionCommand.h"
#include "cli/PasswordSources.h"
#include "station/ShownText.h"

namespace {

// The largest fleet file read.
constexpr std::uint64_t kFleetFileBytes = 64u << 20;

// Everything the command line says, as the parser fills it; and what a
// command's Prepare reads and checks from it.
struct Arguments {
    GlobalOptions global;
    std::string identity[kIdentityFieldCount];  // identity set, by kIdentityFields
    CLI::Option* identityGiven[kIdentityFieldCount] = {};
    std::string serial;
    std::string account;
    std::string newPasswordFile;
    bool formatConfirmed = false;
    std::string fleetFile;
    ProvisionOptions provision;
    bool noSyncTime = false;
    std::string auditFile;  // audit verify's FILE
    OffloadOptions offload;
    std::string offloadedTo;               // format --offloaded-to ARCHIVE
    station::CardOptions formatCard;                // format --offloaded-to: --from, --card-wait
    std::vector<std::string> verifyPaths;  // archive verify's PATHs
    std::string verifyAuditTrail;          // archive verify --audit-trail FILE
    std::string anchors;                   // audit verify --anchors ARCHIVE
    StoreOptions store;                    // how an s3:// archive is reached and locked
    StoreVariables storeVariables;         // the AWS_* variables, taken at the start
    // The archives named, opened by the command's Prepare.
    std::vector<std::shared_ptr<station::Archive>> archives;

    IdentityChanges changes;
    Fleet fleet;
};

enum class Reach {
    Nothing,        // no camera: no password is asked
    ReadsCamera,    // signs in
    ChangesCamera,  // signs in, is audited, finishes its step after Ctrl+C or a closed console
};

struct Command {
    const char* name;     // its words: "identity set"
    const char* summary;  // for --help
    Reach reach;
    void (*options)(CLI::App& command, Arguments& a);  // its own options and operands; may be null
    int (*prepare)(Arguments& a, platform::Host& host);  // reads and checks its input first; may be null
    int (*run)(Invocation& invocation, Arguments& a);
};

int UsageError(const std::string& message)
{
    WriteErrorLine(message);
    return kExitUsage;
}

// ---- the commands' options, checks and runs

void IdentitySetOptions(CLI::App& command, Arguments& a)
{
    for (size_t i = 0; i < kIdentityFieldCount; ++i) {
        const IdentityField& field = kIdentityFields[i];
        a.identityGiven[i] = command.add_option(field.flag, a.identity[i], RuleText(field.field))
                                 ->type_name(RuleOf(field.field).mode == AlnumOnly ? "ID" : "NAME");
    }
}

int PrepareIdentitySet(Arguments& a, platform::Host&)
{
    for (size_t i = 0; i < kIdentityFieldCount; ++i) {
        if (a.identityGiven[i]->count() == 0) {
            continue;
        }
        const IdentityField& field = kIdentityFields[i];
        const FieldProblem problem = CheckField(field.field, a.identity[i]);
        if (problem != FieldProblem::None) {
            return UsageError(FieldMessage(field.field, a.identity[i], problem));
        }
        WideString text;
        DecodeStrictUtf8(a.identity[i], text);
        a.changes.emplace_back(field.text, text);
    }
    return a.changes.empty() ? UsageError("identity set: give at least one field to change") : kExitOk;
}

void SerialSetOptions(CLI::App& command, Arguments& a)
{
    command.add_option("SERIAL", a.serial, SerialRuleText())->required();
}

int PrepareSerialSet(Arguments& a, platform::Host&)
{
    return IsValidSerial(a.serial) ? kExitOk : UsageError(SerialMessage());
}

void PasswordSetOptions(CLI::App& command, Arguments& a)
{
    command.add_option("ACCOUNT", a.account, "admin or user")->required()->check(CLI::IsMember({"admin", "user"}));
    command.add_option("--new-password-file", a.newPasswordFile, "the new password: the file's first line")
        ->type_name("FILE");
}

int PreparePasswordSet(Arguments& a, platform::Host&)
{
    if (a.account == "admin" && a.global.user) {
        return UsageError("signed in as User, the administrator password cannot be changed");
    }
    return kExitOk;
}

int PasswordSet(Invocation& invocation, Arguments& a)
{
    const bool admin = a.account == "admin";
    Secret newPassword;
    std::string error;
    if (!ReadNewPassword(invocation.host, a.newPasswordFile, invocation.variables, admin ? "administrator password" : "user password",
                         newPassword, error)) {
        return UsageError(error);
    }
    return RunPasswordSet(invocation, admin ? Account::Administrator : Account::User, newPassword.text());
}

// --from and --card-wait, as offload and format --offloaded-to take them.
void CardFinding(CLI::App& command, station::CardOptions& card, CLI::Option* needed)
{
    auto* from = command.add_option("--from", card.from, "the card's folder (default: the drive that appears)")
                     ->type_name("FOLDER");
    auto* wait = command.add_option("--card-wait", card.waitSeconds, "how long to wait for the card (default 30)")
                     ->type_name("SECONDS")
                     ->check(CLI::Range(1u, 3600u));
    if (needed) {
        from->needs(needed);
        wait->needs(needed);
    }
}

// How an s3:// ARCHIVE is reached; with `locks`, how what goes there is
// locked.
void StoreReaching(CLI::App& command, StoreOptions& store, bool locks)
{
    command.add_option("--s3-endpoint", store.endpoint,
                       "the object store of an s3:// archive (default AWS_ENDPOINT_URL, else AWS of AWS_REGION)")
        ->type_name("URL");
    command.add_option("--s3-profile", store.profile,
                       "its keys from this profile of the shared credentials file (default: AWS_ACCESS_KEY_ID and "
                       "AWS_SECRET_ACCESS_KEY, else AWS_PROFILE or default)")
        ->type_name("NAME");
    if (!locks) {
        return;
    }
    auto* retain = command
                       .add_option("--retain-days", store.retainDays,
                                   "lock every object of an s3:// archive for N days (Object Lock); a bucket "
                                   "without Object Lock is refused (default: the bucket's own retention)")
                       ->type_name("N")
                       ->check(CLI::Range(1, station::kMaxRetainDays));
    command.add_option("--lock-mode", store.lockMode, "with --retain-days: compliance (default) or governance")
        ->type_name("MODE")
        ->check(CLI::IsMember({"compliance", "governance"}))
        ->needs(retain);
}

// Each of `given` opened (`writing`: bags are made there, and a folder is
// named by its full path); an archive that cannot be used is an input
// error.
int OpenArchives(Arguments& a, platform::Host& host, const std::vector<std::string>& given, bool writing)
{
    a.archives.clear();
    for (const std::string& name : given) {
        std::string error;
        std::shared_ptr<station::Archive> archive = OpenArchive(host, name, writing, a.store, a.storeVariables, error);
        if (!archive) {
            return UsageError(error);
        }
        a.archives.push_back(std::move(archive));
    }
    for (const auto& archive : a.archives) {
        const std::string problem = archive->Problem(writing);
        if (!problem.empty()) {
            return UsageError(problem);
        }
    }
    return kExitOk;
}

// A card is only erased with the erasure recorded.
int RefuseNoAudit(const Arguments& a, const char* what)
{
    return a.global.noAudit ? UsageError(std::string(what) + " erases the card and is always audited: --no-audit is refused")
                            : kExitOk;
}

void FormatOptions(CLI::App& command, Arguments& a)
{
    command.add_flag("--yes", a.formatConfirmed, "confirm: the card's recordings are erased");
    auto* offloadedTo = command
                            .add_option("--offloaded-to", a.offloadedTo,
                                        "format only when a verified bag of this camera in ARCHIVE holds exactly "
                                        "the card's files")
                            ->type_name("ARCHIVE");
    CardFinding(command, a.formatCard, offloadedTo);
    StoreReaching(command, a.store, true);
}

int PrepareFormat(Arguments& a, platform::Host& host)
{
    if (!a.formatConfirmed) {
        return UsageError("format erases the card: confirm with --yes");
    }
    const int audited = RefuseNoAudit(a, "format");
    if (audited != kExitOk) {
        return audited;
    }
    if (a.offloadedTo.empty()) {
        return kExitOk;
    }
    const int checked = CheckOffloadedTo(host, a.formatCard);
    return checked != kExitOk ? checked : OpenArchives(a, host, {a.offloadedTo}, true);
}

void OffloadCommandOptions(CLI::App& command, Arguments& a)
{
    OffloadOptions& o = a.offload;
    command.add_option("--to", o.archive, "the archive: a folder, or s3://BUCKET/PREFIX in an object store")
        ->type_name("ARCHIVE")
        ->required();
    CardFinding(command, o.card, nullptr);
    StoreReaching(command, a.store, true);
    command.add_flag("--format-after", o.formatAfter,
                     "format the card once the bag is complete and the card holds exactly its files");
    auto* watch = command.add_flag("--watch", o.station.watch, "offload every camera plugged in until Ctrl+C");
    command.add_option("--count", o.station.count, "with --watch: stop after N cameras")->type_name("N")->needs(watch);
    command.add_option("--interval-ms", o.station.intervalMs, "with --watch: look for a camera at most this often (default 500)")
        ->type_name("MS")
        ->check(CLI::Range(10u, 60000u))
        ->needs(watch);
}

int PrepareOffload(Arguments& a, platform::Host& host)
{
    const int audited = a.offload.formatAfter ? RefuseNoAudit(a, "offload --format-after") : kExitOk;
    if (audited != kExitOk) {
        return audited;
    }
    const int checked = CheckOffloadInput(host, a.offload);
    if (checked != kExitOk) {
        return checked;
    }
    const int opened = OpenArchives(a, host, {a.offload.archive}, true);
    if (opened == kExitOk) {
        a.offload.place = a.archives.front();
        a.offload.archive = a.offload.place->Name();
    }
    return opened;
}

void ArchiveVerifyOptions(CLI::App& command, Arguments& a)
{
    command.add_option("PATH", a.verifyPaths, "a bag, a folder searched for bags, or s3://BUCKET/PREFIX")
        ->required();
    command.add_option("--audit-trail", a.verifyAuditTrail,
                       "also check each bag orvanectl made against its offload's line in this audit file")
        ->type_name("FILE");
    StoreReaching(command, a.store, false);
}

int PrepareArchiveVerify(Arguments& a, platform::Host& host)
{
    return OpenArchives(a, host, a.verifyPaths, false);
}

void ProvisionOptions(CLI::App& command, Arguments& a)
{
    command.add_option("FLEET", a.fleetFile, "the fleet file (CSV)")->required();
    auto* watch = command.add_flag("--watch", a.provision.station.watch, "provision every camera plugged in until Ctrl+C");
    command.add_option("--count", a.provision.station.count, "with --watch: stop after N cameras")->needs(watch);
    command.add_option("--interval-ms", a.provision.station.intervalMs, "with --watch: look for a camera at most this often (default 500)")
        ->check(CLI::Range(10u, 60000u))
        ->needs(watch);
    command.add_flag("--no-sync-time", a.noSyncTime, "leave the camera's clock alone");
}

int PrepareProvision(Arguments& a, platform::Host& host)
{
    a.provision.syncTime = !a.noSyncTime;
    std::string text;
    const platform::FileRead read = host.ReadFile(a.fleetFile, kFleetFileBytes, text);
    if (read != platform::FileRead::Ok) {
        return UsageError(ReadProblem(read, "fleet file", a.fleetFile));
    }
    a.fleet = ParseFleet(text);
    for (const std::string& problem : a.fleet.problems) {
        platform::WriteError(Shown(a.fleetFile + ":" + problem) + "\n");
    }
    return a.fleet.problems.empty() ? kExitOk : kExitUsage;
}

void AuditVerifyOptions(CLI::App& command, Arguments& a)
{
    command.add_option("FILE", a.auditFile, "the audit file (default: --audit, else the default one)")
        ->type_name("FILE");
    command.add_option("--anchors", a.anchors,
                       "also check that every line anchored in this s3:// archive stands unchanged in the file")
        ->type_name("ARCHIVE");
    StoreReaching(command, a.store, false);
}

int PrepareAuditVerify(Arguments& a, platform::Host& host)
{
    return a.anchors.empty() ? kExitOk : OpenArchives(a, host, {a.anchors}, false);
}

int AuditVerify(Invocation& invocation, Arguments& a)
{
    return RunAuditVerify(invocation.host, invocation.stop, invocation.output,
                          a.auditFile.empty() ? a.global.auditPath : a.auditFile,
                          a.archives.empty() ? nullptr : a.archives.front().get());
}

int Status(Invocation& invocation, Arguments&) { return RunStatus(invocation); }
int SyncTime(Invocation& invocation, Arguments&) { return RunSyncTime(invocation); }
int IdentityGet(Invocation& invocation, Arguments&) { return RunIdentityGet(invocation); }
int IdentitySet(Invocation& invocation, Arguments& a) { return RunIdentitySet(invocation, a.changes); }
int SerialGet(Invocation& invocation, Arguments&) { return RunSerialGet(invocation); }
int SerialSet(Invocation& invocation, Arguments& a) { return RunSerialSet(invocation, a.serial); }
int UsbStorage(Invocation& invocation, Arguments&) { return RunUsbStorage(invocation); }
int Format(Invocation& invocation, Arguments& a)
{
    return a.offloadedTo.empty() ? RunFormat(invocation)
                                 : RunFormatOffloaded(invocation, *a.archives.front(), a.formatCard);
}
int Offload(Invocation& invocation, Arguments& a) { return RunOffload(invocation, a.offload); }
int ArchiveVerify(Invocation& invocation, Arguments& a)
{
    return RunArchiveVerify(invocation.host, invocation.stop, a.archives, a.verifyAuditTrail, invocation.output);
}
int Provision(Invocation& invocation, Arguments& a) { return RunProvision(invocation, a.fleet, a.provision); }

// ---- the table: one row per command, in the order --help lists them. A
// new command is a row, with a run function (and options and a prepare
// function where it has them) and the fields they fill in Arguments; the
// dispatcher needs nothing else.

const Command kCommands[] = {
    {"status", "serial number, resolution, battery and identity of the camera", Reach::ReadsCamera, nullptr, nullptr,
     Status},
    {"sync-time", "set the camera's clock to this computer's local time", Reach::ChangesCamera, nullptr, nullptr,
     SyncTime},
    {"identity get", "show the identity record", Reach::ReadsCamera, nullptr, nullptr, IdentityGet},
    {"identity set", "change the fields given, then read them back and compare", Reach::ChangesCamera,
     IdentitySetOptions, PrepareIdentitySet, IdentitySet},
    {"serial get", "show the serial number", Reach::ReadsCamera, nullptr, nullptr, SerialGet},
    {"serial set", "set the serial number, then read it back and compare", Reach::ChangesCamera, SerialSetOptions,
     PrepareSerialSet, SerialSet},
    {"password set", "change the admin or user password, then sign in with it", Reach::ChangesCamera,
     PasswordSetOptions, PreparePasswordSet, PasswordSet},
    {"usb-storage", "switch the camera to USB storage", Reach::ChangesCamera, nullptr, nullptr, UsbStorage},
    {"format", "format the camera's card (with --yes; --offloaded-to: only when a verified bag holds exactly its files)",
     Reach::ChangesCamera, FormatOptions, PrepareFormat, Format},
    {"provision", "give cameras their identities from a fleet file", Reach::ChangesCamera, ProvisionOptions,
     PrepareProvision, Provision},
    {"offload", "copy the camera's card into a verified bag in an archive", Reach::ChangesCamera,
     OffloadCommandOptions, PrepareOffload, Offload},
    {"archive verify", "check every bag in each PATH in full, and against --audit-trail FILE (no camera)",
     Reach::Nothing, ArchiveVerifyOptions,
     PrepareArchiveVerify, ArchiveVerify},
    {"audit verify", "check that no line of the audit file was changed, removed, inserted or moved",
     Reach::Nothing, AuditVerifyOptions, PrepareAuditVerify, AuditVerify},
};

// ---- the dispatcher

std::string Help()
{
    std::string text = "Commands (each with its own --help):\n";
    for (const Command& command : kCommands) {
        std::string name = command.name;
        name.resize(std::max<size_t>(name.size() + 2, 16), ' ');
        text += "  " + name + command.summary + "\n";
    }
    return text
           + "\nThe sign-in password comes from --password-file, else ORVANE_PASSWORD, else a prompt\n"
             "without echo; never from an argument.\n"
             "Every change is audited: a line with \"outcome\":\"started\" before the camera is changed,\n"
             "and a line with the outcome after. Each line carries seq (1, 2, ...) and prev, the SHA-256\n"
             "of the line before; orvanectl audit verify [FILE] checks the chain.\n"
             "An ARCHIVE is a folder or s3://BUCKET/PREFIX in an object store: its endpoint from\n"
             "--s3-endpoint or AWS_ENDPOINT_URL, its keys from AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY\n"
             "or the shared credentials file (--s3-profile), never from an argument. With an s3:// archive\n"
             "each outcome line is also stored there (its _audit/), and audit verify --anchors checks them.\n"
             "Exit codes: 0 done; 1 the camera refused or an operation failed; 2 usage or input\n"
             "error (no camera touched); 3 no vendor library, no camera, or the camera refused the\n"
             "connection; 4 sign-in refused; 5 the camera's serial number is not in the fleet file;\n"
             "6 the audit file could not be written.";
}

// Every command of the table as a subcommand (its first words a group);
// returns the one each subcommand runs.
std::map<const CLI::App*, const Command*> Define(CLI::App& app, Arguments& a)
{
    app.set_version_flag("--version", "orvanectl " ORVANE_VERSION);
    app.require_subcommand(1);
    app.add_flag("--json", a.global.json, "one JSON object per result line");
    app.add_flag("--verbose", a.global.verbose, "show the camera library's trace on standard error");
    app.add_flag("--user", a.global.user, "sign in as User instead of Administrator");
    app.add_option("--password-file", a.global.passwordFile, "sign-in password: the file's first line")
        ->type_name("FILE");
    auto* audit = app.add_option("--audit", a.global.auditPath, "append the audit trail to FILE")->type_name("FILE");
    app.add_flag("--no-audit", a.global.noAudit, "keep no audit trail")->excludes(audit);

    std::map<std::string, CLI::App*> groups;
    std::map<const CLI::App*, const Command*> commands;
    for (const Command& command : kCommands) {
        const std::string name = command.name;
        const size_t space = name.rfind(' ');
        // The top level is listed by Help(); a group lists its own.
        CLI::App* sub = nullptr;
        if (space == std::string::npos) {
            sub = app.add_subcommand(name, command.summary)->group("");
        } else {
            CLI::App*& group = groups[name.substr(0, space)];
            if (!group) {
                group = app.add_subcommand(name.substr(0, space))->require_subcommand(1)->fallthrough()->group("");
            }
            sub = group->add_subcommand(name.substr(space + 1), command.summary)->group("Subcommands");
        }
        sub->fallthrough();
        if (command.options) {
            command.options(*sub, a);
        }
        commands[sub] = &command;
    }
    app.footer(Help());  // after the subcommands, which would inherit it
    return commands;
}

const CLI::App* Chosen(const CLI::App& app)
{
    const CLI::App* chosen = app.get_subcommands().front();
    while (!chosen->get_subcommands().empty()) {
        chosen = chosen->get_subcommands().front();
    }
    return chosen;
}

std::string SignInPrompt(Account account)
{
    return account == Account::User ? "User password: " : "Administrator password: ";
}

int OpenAudit(Invocation& invocation)
{
    if (invocation.options.noAudit) {
        return kExitOk;
    }
    const std::string path =
        invocation.options.auditPath.empty() ? invocation.host.DefaultAuditPath() : invocation.options.auditPath;
    const auto waiting = [path] {
        WriteErrorLine("the audit file " + path + " is locked by another program: waiting for it, up to "
                       + std::to_string(platform::kLockWaitMs / 1000) + " s (Ctrl+C stops)");
    };
    AuditTrail& audit = invocation.run.audit;
    if (!path.empty() && audit.Open(invocation.host, invocation.stop, path, invocation.run.agent, waiting)) {
        return kExitOk;
    }
    const std::string why = audit.Problem();
    WriteErrorLine("cannot write the audit file " + path + (why.empty() ? "" : ": " + why)
                   + "; nothing was changed (give --audit FILE elsewhere, or --no-audit)");
    return kExitAuditFailed;
}

// Input first, then the password, then the audit trail; the command last.
int Dispatch(const Command& command, Arguments& a, PasswordVariables& variables, platform::Host& host)
{
    if (command.prepare) {
        const int prepared = command.prepare(a, host);
        if (prepared != kExitOk) {
            return prepared;
        }
    }
    Invocation invocation(host, a.global, variables);
    std::string error;
    if (command.reach != Reach::Nothing
        && !ReadSignInPassword(host, a.global.passwordFile, invocation.variables, SignInPrompt(invocation.run.account),
                               invocation.run.password, error)) {
        return UsageError(error);
    }
    if (command.reach == Reach::ChangesCamera) {
        platform::CatchInterrupt(invocation.stop);  // before the audit file's lock is waited for: Ctrl+C ends that wait
        const int opened = OpenAudit(invocation);
        if (opened != kExitOk) {
            return opened;
        }
    }
    platform::DivertStandardOutput(a.global.verbose);
    const int result = command.run(invocation, a);
    platform::ReadyToEnd();
    return result;
}

int Run(int argc, const char* const* argv, platform::Host& host)
{
    PasswordVariables variables;
    TakePasswordVariables(variables);
    CLI::App app("Scriptable camera tool and provisioning station.", "orvanectl");
    Arguments a;
    TakeStoreVariables(a.storeVariables);
    const std::map<const CLI::App*, const Command*> commands = Define(app, a);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error);  // --help, --version
        }
        return UsageError(std::string(error.what()) + " (see orvanectl --help)");
    }
    return Dispatch(*commands.at(Chosen(app)), a, variables, host);
}

}  // namespace

// No exception ends the tool without a word.
int Orvanectl(int argc, const char* const* argv, platform::Host& host)
{
    try {
        return Run(argc, argv, host);
    } catch (const std::exception& error) {
        WriteErrorLine(std::string("unexpected failure: ") + error.what());
    } catch (...) {
        WriteErrorLine("unexpected failure");
    }
    return kExitFailed;
}
