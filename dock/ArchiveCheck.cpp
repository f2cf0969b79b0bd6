#include "dock/ArchiveCheck.h"

#include <utility>

#include "custody/Bag.h"
#include "station/Secret.h"

std::string PathBelow(const std::string& root, const std::string& path)
{
    std::size_t start = root.size();
    while (start > 0 && (root[start - 1] == '\\' || root[start - 1] == '/'))
        --start;
    if (path.size() <= start + 1 || path.compare(0, start, root, 0, start) != 0
        || (path[start] != '\\' && path[start] != '/'))
        return path;
    return path.substr(start + 1);
}

ArchiveCheck::ArchiveCheck(platform::Host& host, std::string name, station::StoreAccess access, unsigned threads)
    : thread_([this, &host, name = std::move(name), access, threads]() mutable { Run(host, name, access, threads); })
{
    WipeText(access.secretAccessKey);
    WipeText(access.sessionToken);
}

ArchiveCheck::~ArchiveCheck()
{
    RequestStop();
    thread_.join();
}

ArchiveCheckState ArchiveCheck::Snapshot(std::size_t fromLine) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    ArchiveCheckState copy;
    if (fromLine < state_.lines.size())
        copy.lines.assign(state_.lines.begin() + static_cast<std::ptrdiff_t>(fromLine), state_.lines.end());
    copy.bagsDone = state_.bagsDone;
    copy.bagsFound = state_.bagsFound;
    copy.bytesDone = state_.bytesDone;
    copy.bytesTotal = state_.bytesTotal;
    copy.done = state_.done;
    return copy;
}

void ArchiveCheck::Add(BagCheckLine line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_.lines.push_back(std::move(line));
    ++state_.bagsDone;
}

void ArchiveCheck::Run(platform::Host& host, const std::string& name, station::StoreAccess& access, unsigned threads)
{
    std::string error;
    const std::shared_ptr<station::Archive> archive = station::OpenArchive(host, name, access, error);
    WipeText(access.secretAccessKey);
    WipeText(access.sessionToken);
    if (archive) {
        Check(*archive, threads);
    } else {
        Add({name, BagCheckLine::Result::Unlisted, error});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    state_.done = true;
}

void ArchiveCheck::Check(const station::Archive& archive, unsigned threads)
{
    std::vector<custody::FoundFolder> found = archive.FindBags();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.bagsFound = found.size();
    }
    custody::BagCheckRequest request;
    request.threads = threads;
    request.stop = [this] { return stop_.load(); };
    request.progress = [this](const custody::BagCheckProgress& progress) {
        std::lock_guard<std::mutex> lock(mutex_);
        state_.bytesDone = progress.bytesDone;
        state_.bytesTotal = progress.bytesTotal;
    };
    for (const custody::FoundFolder& folder : found) {
        const std::string shown = archive.Shown(folder.path);
        if (folder.kind == custody::FoundFolder::Kind::Unfinished) {
            Add({shown, BagCheckLine::Result::Unfinished, {}});
            continue;
        }
        if (folder.kind == custody::FoundFolder::Kind::Unlisted) {
            Add({shown, BagCheckLine::Result::Unlisted, folder.why});
            continue;
        }
        custody::BagVerdict verdict = archive.VerifyBag(folder.path, request);
        if (verdict.stopped) {
            Add({shown, BagCheckLine::Result::Stopped, verdict.why});
            break;
        }
        Add({shown, verdict.valid ? BagCheckLine::Result::Valid : BagCheckLine::Result::Invalid, verdict.why});
    }
}
