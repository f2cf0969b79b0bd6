// The dock's engine and its "Verify archive" on an archive in the throwaway
// cluster, with fake cameras: a store that refuses the keys ends the run
// before any camera is touched; with the right keys the cards go into bags
// under Object Lock, each formatted only once the store's bag holds it, the
// bags are found valid and an edited object not.
#include <ctime>
#include <functional>

#include <nlohmann/json.hpp>

#include "station/Dock.h"
#include "station/LocalDockCameras.h"
#include "tests/cli/FakeCameras.h"
#include "tests/cli/FakeHost.h"
#include "tests/dock/WaitForCheck.h"
#include "tests/objectstore/StoreArchive.h"
#include "tests/station/LoggedEvents.h"

namespace station {
namespace {

const std::vector<std::string> kSerials = {"DOCK-A", "DOCK-B", "DOCK-C"};

class DockStore : public StoreArchive {
protected:
    StoreAccess Access() const
    {
        StoreAccess access;
        access.endpoint = Setting("AWS_ENDPOINT_URL");
        access.region = Setting("AWS_REGION");
        access.accessKeyId = Setting("AWS_ACCESS_KEY_ID");
        access.secretAccessKey = Setting("AWS_SECRET_ACCESS_KEY");
        access.retainDays = 1;
        return access;
    }

    // Three cameras, each a drive once switched with a card of two
    // recordings, docked until `done` returns.
    void RunDock(const std::string& archive, const StoreAccess& access, FakeCameras& cameras, LoggedEvents& events,
                 const std::function<void()>& done)
    {
        ResetFakeSystem();
        // The objects' locks run from the host's clock: not behind the store's.
        g_system.utcStart = static_cast<std::int64_t>(std::time(nullptr));
        cameras.storageModeHides = true;
        unsigned seed = 1;
        for (const std::string& serial : kSerials) {
            cards_.push_back(std::make_unique<TempFolder>());
            for (const char* path : {"DCIM/VID0001.MP4", "DCIM/IMG0002.JPG"}) {
                ASSERT_TRUE(WriteTreeFile(custody::LocalFileSystem(), cards_.back()->Path(), path,
                                          Recording(150000, seed++)));
            }
            FakeCamera& camera = cameras.Plug();
            camera.serial = serial;
            camera.cardDrive = cards_.back()->Path();
        }
        DockSettings settings;
        settings.archive = archive;
        settings.store = access;
        settings.auditPath = "audit.jsonl";
        settings.password = "888888";
        settings.maxCopies = 2;
        settings.intervalMs = 1;
        Dock dock(settings, events, NewLocalDockCameras(settings, host_, cameras.Links(), "OrvaneDock test"));
        dock.Start();
        done();
    }

    ArchiveCheckState Verified(const std::string& archive)
    {
        const ArchiveCheck check(host_, archive, Access(), 2);
        return WaitUntilDone(check);
    }

    FakeHost host_;

private:
    std::vector<std::unique_ptr<TempFolder>> cards_;
};

TEST_F(DockStore, OffloadsUnderLockFormatsOnceTheStoreHoldsTheCardAndVerifiesThere)
{
    const std::string bucket = MakeBucket("dock", true);
    const std::string archive = "s3://" + bucket + "/evidence";
    StoreAccess wrongKey = Access();
    wrongKey.secretAccessKey = "not-the-secret-key-of-this-store";
    FakeCameras refused;
    LoggedEvents refusal;
    RunDock(archive, wrongKey, refused, refusal, [&] {
        // A camera identified: the dock went on with an archive it cannot write.
        EXPECT_EQ(refusal.AwaitFirst({"ended Failed", "identified " + kSerials[0]}), "ended Failed");
    });
    EXPECT_NE(refusal.endedWhy.find("refused the keys"), std::string::npos) << refusal.endedWhy;
    EXPECT_EQ(refusal.endedWhy.find(wrongKey.secretAccessKey), std::string::npos);
    EXPECT_TRUE(refused.calls.empty());

    FakeCameras cameras;
    LoggedEvents events;
    RunDock(archive, Access(), cameras, events, [&] {
        for (const std::string& serial : kSerials) {
            events.Await("safe " + serial);
        }
    });
    EXPECT_EQ(cameras.Count("FormatDecTF"), 3);
    const std::vector<std::string> lines = g_system.Lines("audit.jsonl");
    for (const std::string& line : lines) {
        const auto object = nlohmann::json::parse(line);
        if (object.at("action") == "format" && object.at("outcome") == "ok") {
            const std::string serialBags = archive + "/" + object.at("serial").get<std::string>() + "/";
            EXPECT_EQ(object.value("offloaded_to", "").rfind(serialBags, 0), 0u) << line;
        }
    }
    const std::vector<std::string> audited = g_system.Audited("audit.jsonl");
    EXPECT_EQ(std::count(audited.begin(), audited.end(), "format:ok"), 3);
    std::string error;
    const auto opened = OpenArchive(host_, archive, Access(), error);
    ASSERT_TRUE(opened) << error;
    const AnchorVerdict anchors = opened->CheckAnchors(host_.ComputerName(), lines);
    EXPECT_TRUE(anchors.ok) << anchors.why;
    EXPECT_EQ(anchors.anchors, 6u) << "each offload's and format's outcome line anchored";

    ArchiveCheckState state = Verified(archive);
    ASSERT_EQ(state.lines.size(), kSerials.size());
    const std::string edited = state.lines[1].path;
    TempFolder other;
    ASSERT_TRUE(WriteTreeFile(custody::LocalFileSystem(), other.Path(), "edited.jpg", Recording(150000, 99)));
    ASSERT_EQ(S3Check("put " + bucket + " " + edited.substr(("s3://" + bucket + "/").size()) + "/data/DCIM/IMG0002.JPG "
                      + other.Path() + "/edited.jpg"),
              0);
    const ArchiveCheckState after = Verified(archive);
    ASSERT_EQ(after.lines.size(), kSerials.size());
    for (std::size_t i = 0; i < kSerials.size(); ++i) {
        EXPECT_EQ(state.lines[i].result, BagCheckLine::Result::Valid) << state.lines[i].why;
        EXPECT_EQ(PathBelow(archive, state.lines[i].path).rfind(kSerials[i] + "/", 0), 0u) << state.lines[i].path;
        const bool wasEdited = after.lines[i].path == edited;
        EXPECT_EQ(after.lines[i].result, wasEdited ? BagCheckLine::Result::Invalid : BagCheckLine::Result::Valid);
        EXPECT_EQ(after.lines[i].why.find("sha256 differs") != std::string::npos, wasEdited) << after.lines[i].why;
    }
}

}  // namespace
}  // namespace station
