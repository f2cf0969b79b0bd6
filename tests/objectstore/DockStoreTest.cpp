// The dock's engine and its "Verify archive" on an archive in the throwaway
// cluster, with fake cameras: cards offloaded under Object Lock, each
// formatted only once the store's bag holds it, the bags found valid and an
// edited object not; a store that refuses ends the run before any camera is
// touched.
#include <ctime>

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
    void SetUp() override
    {
        StoreArchive::SetUp();
        ResetFakeSystem();
        // The objects' locks run from the host's clock, which must not lie
        // behind the store's.
        g_system.utcStart = static_cast<std::int64_t>(std::time(nullptr));
    }

    StoreAccess Access() const
    {
        StoreAccess access;
        access.endpoint = Setting("AWS_ENDPOINT_URL");
        access.region = Setting("AWS_REGION");
        access.accessKeyId = Setting("AWS_ACCESS_KEY_ID");
        access.secretAccessKey = Setting("AWS_SECRET_ACCESS_KEY");
        return access;
    }

    static DockSettings Settings(const std::string& archive, const StoreAccess& access)
    {
        DockSettings settings;
        settings.archive = archive;
        settings.store = access;
        settings.auditPath = "audit.jsonl";
        settings.password = "888888";
        settings.maxCopies = 2;
        settings.intervalMs = 1;
        return settings;
    }

    // A camera per serial, each a drive once switched, its card two recordings.
    void PlugCameras(FakeCameras& cameras)
    {
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
    }

    ArchiveCheckState Verified(FakeHost& host, const std::string& archive)
    {
        const ArchiveCheck check(host, archive, Access(), 2);
        return WaitUntilDone(check);
    }

private:
    std::vector<std::unique_ptr<TempFolder>> cards_;
};

TEST_F(DockStore, CardsAreFormattedOnceTheStoresBagsHoldThemAndVerifyFindsAnEdit)
{
    const std::string bucket = MakeBucket("dock", true);
    const std::string archive = "s3://" + bucket + "/evidence";
    FakeHost host;
    FakeCameras cameras;
    PlugCameras(cameras);
    StoreAccess locked = Access();
    locked.retainDays = 1;
    const DockSettings settings = Settings(archive, locked);
    LoggedEvents events;
    {
        Dock dock(settings, events, NewLocalDockCameras(settings, host, cameras.Links(), "OrvaneDock test"));
        dock.Start();
        for (const std::string& serial : kSerials) {
            events.Await("safe " + serial);
        }
    }
    std::vector<std::string> lines;
    for (const std::string& line : g_system.Lines("audit.jsonl")) {
        const auto object = nlohmann::json::parse(line);
        const std::string bag = object.value("bag", object.value("offloaded_to", ""));
        if (object.at("outcome") == "ok") {
            // Each format vouched for by the bag in the store that holds its card.
            EXPECT_EQ(bag.rfind(archive + "/" + object.at("serial").get<std::string>() + "/", 0), 0u) << line;
        }
        if (object.at("action") == "offload" && object.at("outcome") == "ok") {
            EXPECT_EQ(object.value("lock_mode", ""), "COMPLIANCE") << line;
        }
        lines.push_back(line);
    }
    const std::vector<std::string> audited = g_system.Audited("audit.jsonl");
    EXPECT_EQ(std::count(audited.begin(), audited.end(), "offload:ok"), 3);
    EXPECT_EQ(std::count(audited.begin(), audited.end(), "format:ok"), 3);
    EXPECT_EQ(cameras.Count("FormatDecTF"), 3);

    // Every outcome line anchored beside the bags.
    std::string error;
    const auto opened = OpenArchive(host, archive, Access(), error);
    ASSERT_TRUE(opened) << error;
    const AnchorVerdict anchors = opened->CheckAnchors(host.ComputerName(), lines);
    EXPECT_TRUE(anchors.ok) << anchors.why;
    EXPECT_EQ(anchors.anchors, 6u);

    ArchiveCheckState state = Verified(host, archive);
    ASSERT_EQ(state.lines.size(), kSerials.size());
    for (const BagCheckLine& line : state.lines) {
        EXPECT_EQ(line.result, BagCheckLine::Result::Valid) << line.path << ": " << line.why;
        EXPECT_EQ(PathBelow(archive, line.path).substr(0, 5), "DOCK-") << line.path;
    }

    // A recording replaced by a new version of its object.
    const std::string edited = state.lines[1].path;
    TempFolder other;
    ASSERT_TRUE(WriteTreeFile(custody::LocalFileSystem(), other.Path(), "edited.jpg", Recording(150000, 99)));
    ASSERT_EQ(S3Check("put " + bucket + " " + edited.substr(("s3://" + bucket + "/").size()) + "/data/DCIM/IMG0002.JPG "
                      + other.Path() + "/edited.jpg"),
              0);
    state = Verified(host, archive);
    ASSERT_EQ(state.lines.size(), kSerials.size());
    for (const BagCheckLine& line : state.lines) {
        const bool wasEdited = line.path == edited;
        EXPECT_EQ(line.result, wasEdited ? BagCheckLine::Result::Invalid : BagCheckLine::Result::Valid) << line.path;
        EXPECT_EQ(line.why.find("sha256 differs") != std::string::npos, wasEdited) << line.why;
    }
}

TEST_F(DockStore, AStoreThatRefusesEndsTheRunBeforeAnyCameraIsTouched)
{
    const std::string secret = "not-the-secret-key-of-this-store";
    struct Row {
        const char* name;
        bool objectLock;
        bool rightKey;
        std::int32_t retainDays;
        const char* why;
    };
    const Row rows[] = {
        {"wrong key", true, false, 1, "refused the keys"},
        {"no Object Lock", false, true, 1, "has no Object Lock"},
    };
    for (const Row& row : rows) {
        ResetFakeSystem();
        const std::string bucket = MakeBucket(row.objectLock ? "refused" : "unlocked", row.objectLock);
        FakeHost host;
        FakeCameras cameras;
        PlugCameras(cameras);
        StoreAccess access = Access();
        access.retainDays = row.retainDays;
        if (!row.rightKey) {
            access.secretAccessKey = secret;
        }
        const DockSettings settings = Settings("s3://" + bucket + "/evidence", access);
        LoggedEvents events;
        {
            Dock dock(settings, events, NewLocalDockCameras(settings, host, cameras.Links(), "OrvaneDock test"));
            dock.Start();
            // A camera identified: the dock went on with an archive it cannot write.
            EXPECT_EQ(events.AwaitFirst({"ended Failed", "identified " + kSerials[0]}), "ended Failed") << row.name;
        }
        EXPECT_NE(events.endedWhy.find(row.why), std::string::npos) << row.name << ": " << events.endedWhy;
        EXPECT_EQ(events.endedWhy.find(secret), std::string::npos) << row.name;
        EXPECT_TRUE(cameras.calls.empty()) << row.name;
    }
}

}  // namespace
}  // namespace station
