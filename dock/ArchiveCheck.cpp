#include "dock/ArchiveCheck.h"

#include <utility>

#include "custody/Bag.h"

ArchiveCheck::ArchiveCheck(const custody::FileSystem& fs, std::string archive, unsigned threads)
    : thread_([this, &fs, archive = std::move(archive), threads] { Run(fs, archive, threads); })
{
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

void ArchiveCheck::Run(const custody::FileSystem& fs, const std::string& archive, unsigned threads)
{
    std::vector<custody::FoundFolder> found = custody::FindBags(fs, archive);
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
        if (folder.kind == custody::FoundFolder::Kind::Unfinished) {
            Add({folder.path, BagCheckLine::Result::Unfinished, {}});
            continue;
        }
        if (folder.kind == custody::FoundFolder::Kind::Unlisted) {
            Add({folder.path, BagCheckLine::Result::Unlisted, folder.why});
            continue;
        }
        custody::BagVerdict verdict = custody::VerifyBag(fs, folder.path, request);
        if (verdict.stopped) {
            Add({folder.path, BagCheckLine::Result::Stopped, verdict.why});
            break;
        }
        Add({folder.path, verdict.valid ? BagCheckLine::Result::Valid : BagCheckLine::Result::Invalid, verdict.why});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    state_.done = true;
}
