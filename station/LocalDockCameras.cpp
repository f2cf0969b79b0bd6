#include "station/LocalDockCameras.h"

#include <utility>

#include "platform/LocalHost.h"
#include "station/AgentNames.h"
#include "station/AuditedChange.h"
#include "station/CardFormat.h"
#include "station/ArchiveOpen.h"
#include "station/OffloadTurn.h"
#include "station/SignIn.h"

namespace station {
namespace {

// What a failed step of the offload came to, for the engine.
StepResult Ended(const CameraOffload& offload)
{
    if (offload.outcome == Outcome::AuditFailed) {
        return {offload.outcome, offload.auditError};
    }
    return {offload.outcome, offload.why};
}

class LocalTurn final : public OffloadTurn {
public:
    // `settings.place` is the dock's archive, opened and checked.
    LocalTurn(const RunContext& run, const OffloadSettings& settings, const DeviceLinks& links, int link)
        : run_(run), settings_(settings), archive_(*settings.place), links_(links), link_(link)
    {
        offload_.archive = settings.archive;
    }

    StepResult SignIn(CameraIdentity& camera) override
    {
        if (!IdentifyCamera(run_, offload_, texts_)) {
            return Ended(offload_);
        }
        camera = IdentityOf(offload_, texts_);
        return {};
    }

    StepResult BeginOffload() override
    {
        return station::BeginOffload(run_, settings_, offload_) ? StepResult{} : Ended(offload_);
    }

    StepResult SwitchToCard(const StopSignal&) override
    {
        return station::SwitchToCard(run_, settings_, offload_, card_) ? StepResult{} : Ended(offload_);
    }

    // Init_Device has linked other cameras since this one became a drive:
    // its own link is taken back, and it is signed in again, since a camera
    // may want that after a switch to storage.
    StepResult FormatCard() override
    {
        std::string serial;
        if (links_.UseDeviceLink(link_) == 0) {
            format_.end = FormatEnd::NotSent;
            format_.why = "the camera could no longer be reached";
        } else if (!camera::SignIn(run_.account, run_.password.text()) && camera::ReadSerial(serial)) {
            format_.end = FormatEnd::NotSent;
            format_.why = kSignInRefused;
        } else if (!camera::ReadSerial(serial)) {
            format_.end = FormatEnd::CameraSilent;
        } else if (serial != offload_.serial) {
            format_.end = FormatEnd::NotSent;
            format_.why = "the camera's link led to another camera (" + serial + ")";
        } else {
            format_.end = SendFormat();
        }
        return Formatted();
    }

    StepResult Copy(const StopSignal&, const ProgressSink& progress, std::string& bag) override
    {
        const bool copied = CopyCardToBag(run_, archive_, card_, texts_, progress, offload_);
        bag = offload_.copy.bag;
        return copied ? StepResult{} : Ended(offload_);
    }

    StepResult RecordOffload(const StepResult& ended) override
    {
        // The engine's own reasons to end a turn (a stop between steps, no
        // thread) reach the trail like a step's.
        if (!ended.Ok() && offload_.outcome == Outcome::Ok) {
            offload_.failedStep = "dock";
            offload_.why = ended.why;
            offload_.outcome = ended.outcome;
        }
        station::RecordOffload(run_, offload_);
        return offload_.outcome == Outcome::AuditFailed ? Ended(offload_) : StepResult{};
    }

    StepResult BeginFormat() override
    {
        std::string error;
        return station::BeginFormat(run_, offload_.serial, archive_, error)
                   ? StepResult{}
                   : StepResult{Outcome::AuditFailed, error};
    }

    StepResult CheckCard(const StopSignal&) override
    {
        format_ = CheckCardBeforeFormat(run_, offload_.serial, archive_, card_);
        if (format_.end == FormatEnd::NotSent) {
            return {Outcome::Stopped, format_.why};
        }
        return Formatted();
    }

    StepResult RecordFormat(const StepResult& formatted) override
    {
        // A format the engine never asked for (it stopped first) was not sent.
        if (!formatted.Ok() && format_.end == FormatEnd::Formatted) {
            format_.end = FormatEnd::NotSent;
            format_.why = formatted.why;
        }
        RecordFormatOutcome(run_, offload_.serial, archive_, format_);
        return format_.recorded ? StepResult{} : StepResult{Outcome::AuditFailed, format_.auditError};
    }

private:
    StepResult Formatted() const
    {
        return format_.end == FormatEnd::Formatted ? StepResult{} : StepResult{Outcome::Failed, NotFormattedWhy(format_)};
    }

    const RunContext& run_;
    const OffloadSettings& settings_;
    Archive& archive_;
    const DeviceLinks& links_;
    const int link_;  // this camera's, from right after its connect
    CameraOffload offload_;
    IdentityTexts texts_;
    std::string card_;
    FormatOutcome format_;
};

class LocalDockCameras final : public DockCameras {
public:
    // `ownedHost` may be null: `host` is then another's.
    LocalDockCameras(const DockSettings& settings, std::unique_ptr<platform::Host> ownedHost, platform::Host& host,
                     const DeviceLinks& links, std::string agent)
        : ownedHost_(std::move(ownedHost)), host_(host), links_(links), auditPath_(settings.auditPath),
          agent_(std::move(agent)), account_(settings.userAccount ? Account::User : Account::Administrator)
    {
        password_.text() = settings.password;
        archiveName_ = settings.archive;
        store_ = settings.store;
        offload_.card.waitSeconds = settings.cardWaitSeconds;
        offload_.formatAfter = settings.formatAfter;
    }

    StepResult Open(const StopSignal& stop) override
    {
        run_ = std::make_unique<RunContext>(host_, stop);
        run_->account = account_;
        run_->password.text() = password_.text();
        password_.Wipe();
        run_->agent = agent_;
        if (!run_->audit.Open(host_, stop, auditPath_, agent_)) {
            return {Outcome::AuditFailed, "the audit file cannot be opened: " + run_->audit.Problem()};
        }
        return OpenArchive();
    }

    ~LocalDockCameras() override { WipeStoreKeys(); }

    Link Connect() override
    {
        link_ = 0;
        switch (camera::Connect()) {
        case Connection::NoVendorLibrary:
            return Link::NoVendorLibrary;
        case Connection::NoCamera:
            return Link::NoCamera;
        case Connection::Refused:
            return Link::Refused;
        case Connection::Connected:
            break;
        }
        link_ = links_.GetDeviceLink();
        return Link::Camera;
    }

    std::string ReadSerial() override
    {
        std::string serial;
        return camera::ReadSerial(serial) ? serial : "";
    }

    std::unique_ptr<OffloadTurn> NewTurn(TurnId, const std::string&) override
    {
        return std::make_unique<LocalTurn>(*run_, offload_, links_, link_);
    }

private:
    // Once, before any camera is touched: an archive that cannot take bags
    // ends the run with its reason.
    StepResult OpenArchive()
    {
        std::string error;
        offload_.place = station::OpenArchive(host_, archiveName_, store_, error);
        WipeStoreKeys();
        if (!offload_.place) {
            return {Outcome::Failed, error};
        }
        if (std::string problem = offload_.place->Problem(true); !problem.empty()) {
            return {Outcome::Failed, problem};
        }
        offload_.archive = offload_.place->Name();
        run_->anchors = offload_.place.get();
        return {};
    }

    void WipeStoreKeys()
    {
        WipeText(store_.secretAccessKey);
        WipeText(store_.sessionToken);
    }

    const std::unique_ptr<platform::Host> ownedHost_;
    platform::Host& host_;
    const DeviceLinks& links_;
    const std::string auditPath_;
    const std::string agent_;
    Account account_ = Account::Administrator;
    Secret password_;  // until the run takes it
    std::string archiveName_;
    StoreAccess store_;  // until the archive is opened
    OffloadSettings offload_;  // its place, the archive, once opened
    std::unique_ptr<RunContext> run_;
    int link_ = 0;  // the linked camera's, 0 when none
};

}  // namespace

std::unique_ptr<DockCameras> NewLocalDockCameras(const DockSettings& settings, platform::Host& host,
                                                 const DeviceLinks& links, const std::string& agent)
{
    return std::make_unique<LocalDockCameras>(settings, nullptr, host, links, agent);
}

Dock::Dock(DockSettings settings, StationEvents& events)
    : Dock(settings, events, [&settings] {
          auto host = std::make_unique<platform::LocalHost>();
          platform::Host& local = *host;
          return std::make_unique<LocalDockCameras>(settings, std::move(host), local, TelvixDeviceLinks(),
                                                    AgentOf(kDockProgram));
      }())
{
    WipeSecrets(settings);
}

}  // namespace station
