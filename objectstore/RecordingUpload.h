// One recording into the store, verified: hashed as read from the card,
// uploaded with its digests (so the store refuses a body damaged on the
// way), then read back with GET and its SHA-256 compared with the card's.
// Up to kMultipartAbove in one PUT streamed from the card; above it in
// parts uploaded on several threads, each part held once in memory, so
// memory stays flat whatever the file's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "custody/Bag.h"
#include "platform/FileSystem.h"
#include "objectstore/S3Client.h"
#include "objectstore/TransferState.h"

namespace objectstore {

constexpr std::uint64_t kMultipartAbove = std::uint64_t{64} << 20;

// Where the recording goes.
struct RecordingTarget {
    S3Client& client;
    std::string bucket;
    std::string key;
    ObjectLock lock;
};

// An upload in parts an earlier attempt left; its parts that hold the
// card's bytes are kept.
struct UnfinishedUpload {
    std::string uploadId;
    std::vector<UploadedPart> parts;
};

// The part size for a file: 8 MiB, larger where S3's 10000 parts would
// not hold the file.
std::uint64_t PartSize(std::uint64_t fileSize);

// Uploads `file` (relative to `card`) and reads it back. True with
// `verified` (the path, size and SHA-256 as read from the card) when the
// store holds it; otherwise false with the failure in `state` (steps
// "card", "copy", "verify"). A failed upload in parts is aborted, but not
// one the state stopped (an interrupted offload continues it).
// The two halves of UploadRecording, for a caller that overlaps the
// read-back of one recording with the upload of the next: `stored` holds
// the path, size and SHA-256 as read from the card.
bool StoreRecording(const custody::FileSystem& fs, const std::string& card, const custody::FileEntry& file,
                    const RecordingTarget& target, const UnfinishedUpload* earlier, unsigned partThreads,
                    TransferState& state, custody::PayloadFile& stored);
bool ReadBackRecording(const RecordingTarget& target, const custody::PayloadFile& stored, TransferState& state);

bool UploadRecording(const custody::FileSystem& fs, const std::string& card, const custody::FileEntry& file,
                     const RecordingTarget& target, const UnfinishedUpload* earlier, unsigned partThreads,
                     TransferState& state, custody::PayloadFile& verified);

// An object read with GET and hashed as it streams; its bytes counted as
// `counted` in the state (readBack or checked).
struct StoredDigest {
    std::uint64_t size = 0;
    std::string sha256;
};
S3Error HashStoredObject(S3Client& client, const std::string& bucket, const std::string& key, TransferState& state,
                         std::atomic<std::uint64_t>& counted, StoredDigest& digest);

}  // namespace objectstore
