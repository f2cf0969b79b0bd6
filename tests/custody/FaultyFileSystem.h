// The real file system with faults put in on purpose: a card file that
// cannot be opened or read, a card pulled out, an archive that fills up,
// hands back other bytes than were written or is read-only. It also records
// every call that would change the card, which must never happen.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ThreadErrorText.h"

struct Faults {
    std::string unopenable;            // a card file (path ending) that cannot be opened
    std::string unreadable;            // a card file that fails to read after `readableBytes`
    std::string endsEarly;             // a card file that ends after `readableBytes`
    std::uint64_t readableBytes = 0;
    int cardPulledAfterOpens = -1;     // card files opened before the card is gone
    std::uint64_t archiveCapacity = std::numeric_limits<std::uint64_t>::max();
    bool flushFails = false;
    bool archiveReadsDiffer = false;   // archive files read back with their first byte changed
    std::string uncreatable;           // an archive file (path ending) that cannot be created
    std::string unrenamable;           // a rename to a path with this ending fails
    std::string unappendable;          // appends to a file with this ending fail
    bool archiveReadOnly = false;      // nothing in the archive can be created, renamed or removed
    std::string unlistable;            // a folder (path ending) whose folders cannot be listed
};

class FaultyFileSystem : public custody::FileSystem {
public:
    FaultyFileSystem(custody::FileSystem& real, std::string card) : real_(real), card_(std::move(card)) {}

    Faults faults;

    // New faults, and the card back in with no file opened yet.
    void Reset(const Faults& next = Faults())
    {
        faults = next;
        cardOpens_ = 0;
        archiveWritten_ = 0;
    }
    int CardOpens() const { return cardOpens_; }
    std::vector<std::string> CardChanges() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return cardChanges_;
    }

    std::string Join(const std::string& base, const std::string& relative) const override
    {
        return real_.Join(base, relative);
    }
    bool IsFolder(const std::string& path) const override { return real_.IsFolder(path); }
    bool Exists(const std::string& path) const override { return real_.Exists(path); }
    using custody::FileSystem::ListFiles;
    bool ListFiles(const std::string& root, const std::vector<std::string>& skippedRootFolders,
                   std::vector<custody::FileEntry>& files, std::string& error) const override
    {
        if (OnCard(root) && CardPulled()) {
            error = "the card is gone";
            return false;
        }
        return real_.ListFiles(root, skippedRootFolders, files, error);
    }
    bool ListFolders(const std::string& path, std::vector<std::string>& names) const override
    {
        injected().Clear();
        if (EndsWith(path, faults.unlistable)) {
            return Injected("cannot list " + path);
        }
        return real_.ListFolders(path, names);
    }

    std::unique_ptr<custody::ReadStream> OpenRead(const std::string& path) const override
    {
        injected().Clear();
        if (!OnCard(path)) {
            auto file = real_.OpenRead(path);
            return file && faults.archiveReadsDiffer ? std::make_unique<ChangedRead>(std::move(file)) : std::move(file);
        }
        ++cardOpens_;
        if (CardPulled() || EndsWith(path, faults.unopenable)) {
            Injected("cannot open " + path);
            return nullptr;
        }
        auto file = real_.OpenRead(path);
        if (!file) {
            return nullptr;
        }
        const bool fails = EndsWith(path, faults.unreadable), ends = EndsWith(path, faults.endsEarly);
        if (!fails && !ends && faults.cardPulledAfterOpens < 0) {
            return file;
        }
        const std::uint64_t limit = fails || ends ? faults.readableBytes : std::numeric_limits<std::uint64_t>::max();
        return std::make_unique<CardRead>(std::move(file), *this, limit, fails);
    }
    std::unique_ptr<custody::WriteStream> CreateNew(const std::string& path) override
    {
        injected().Clear();
        if (Changes(path, "create") || EndsWith(path, faults.uncreatable)) {
            Injected("cannot create " + path);
            return nullptr;
        }
        auto file = real_.CreateNew(path);
        return file ? std::make_unique<ArchiveWrite>(std::move(file), *this, false) : nullptr;
    }
    std::unique_ptr<custody::WriteStream> OpenAppend(const std::string& path) override
    {
        injected().Clear();
        if (Changes(path, "append to")) {
            Injected("cannot open for appending " + path);
            return nullptr;
        }
        auto file = real_.OpenAppend(path);
        return file ? std::make_unique<ArchiveWrite>(std::move(file), *this, EndsWith(path, faults.unappendable))
                    : nullptr;
    }
    bool CreateFolders(const std::string& path) override
    {
        injected().Clear();
        if (Changes(path, "create folders")) {
            return Injected("cannot create the folder " + path);
        }
        return real_.CreateFolders(path);
    }
    bool Rename(const std::string& from, const std::string& to) override
    {
        injected().Clear();
        if (Changes(from, "rename") || EndsWith(to, faults.unrenamable)) {
            return Injected("cannot rename " + from);
        }
        return real_.Rename(from, to);
    }
    bool RemoveFile(const std::string& path) override
    {
        injected().Clear();
        return Changes(path, "remove") ? Injected("cannot remove " + path) : real_.RemoveFile(path);
    }
    // An injected fault's own text, so that no earlier failure of the real
    // file system is reported for it.
    std::string LastError() const override { return injected().Empty() ? real_.LastError() : injected().Text(); }
    bool LastErrorWasNoSpace() const override { return injected().Empty() ? real_.LastErrorWasNoSpace() : noSpace(); }

private:
    static platform::ThreadErrorText& injected()
    {
        thread_local platform::ThreadErrorText text;
        return text;
    }
    static bool& noSpace()
    {
        thread_local bool full = false;
        return full;
    }
    static bool Injected(const std::string& what, bool full = false)
    {
        noSpace() = full;
        injected().Set(what + ": injected fault");
        return false;
    }
    static bool EndsWith(const std::string& text, const std::string& end)
    {
        return !end.empty() && text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    }
    bool OnCard(const std::string& path) const { return path.compare(0, card_.size(), card_) == 0; }
    bool CardPulled() const { return faults.cardPulledAfterOpens >= 0 && cardOpens_ > faults.cardPulledAfterOpens; }
    // True when the change is refused: every change of the card (and
    // recorded), any change of a read-only archive.
    bool Changes(const std::string& path, const char* what)
    {
        if (!OnCard(path)) {
            return faults.archiveReadOnly;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        cardChanges_.push_back(std::string(what) + " " + path);
        return true;
    }

    class CardRead : public custody::ReadStream {
    public:
        CardRead(std::unique_ptr<custody::ReadStream> file, const FaultyFileSystem& fs, std::uint64_t limit, bool fails)
            : file_(std::move(file)), fs_(fs), limit_(limit), fails_(fails)
        {
        }
        bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
        {
            count = 0;
            if (fs_.CardPulled() || (fails_ && read_ >= limit_)) {
                return Injected("cannot read the card");
            }
            if (read_ >= limit_) {
                return true;  // the end, early
            }
            const std::uint64_t left = limit_ - read_;
            const bool ok = file_->Read(buffer, left < capacity ? static_cast<std::size_t>(left) : capacity, count);
            read_ += count;
            return ok;
        }

    private:
        std::unique_ptr<custody::ReadStream> file_;
        const FaultyFileSystem& fs_;
        std::uint64_t limit_;
        bool fails_;
        std::uint64_t read_ = 0;
    };

    class ChangedRead : public custody::ReadStream {
    public:
        explicit ChangedRead(std::unique_ptr<custody::ReadStream> file) : file_(std::move(file)) {}
        bool Read(void* buffer, std::size_t capacity, std::size_t& count) override
        {
            const bool ok = file_->Read(buffer, capacity, count);
            if (ok && count > 0 && first_) {
                static_cast<unsigned char*>(buffer)[0] ^= 0x01;
            }
            first_ = first_ && count == 0;
            return ok;
        }

    private:
        std::unique_ptr<custody::ReadStream> file_;
        bool first_ = true;
    };

    class ArchiveWrite : public custody::WriteStream {
    public:
        ArchiveWrite(std::unique_ptr<custody::WriteStream> file, FaultyFileSystem& fs, bool fails)
            : file_(std::move(file)), fs_(fs), fails_(fails)
        {
        }
        bool Write(const void* bytes, std::size_t count) override
        {
            if (fails_) {
                return Injected("cannot append");
            }
            if (fs_.archiveWritten_.fetch_add(count) + count > fs_.faults.archiveCapacity) {
                return Injected("cannot write: the archive is full", true);
            }
            return file_->Write(bytes, count);
        }
        bool Flush() override { return fs_.faults.flushFails ? Injected("cannot flush") : file_->Flush(); }

    private:
        std::unique_ptr<custody::WriteStream> file_;
        FaultyFileSystem& fs_;
        bool fails_;
    };

    custody::FileSystem& real_;
    const std::string card_;
    mutable std::atomic<int> cardOpens_{0};
    std::atomic<std::uint64_t> archiveWritten_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> cardChanges_;
};
