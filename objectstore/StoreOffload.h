// The copy of a camera's card into a bag on object storage, laid out as in
// a folder: PREFIX/<serial>/<YYYYMMDDTHHMMSSZ>/ with data/ and the tag
// files. A store has no rename, so completeness is explicit: each
// recording is uploaded, read back and compared with the card's SHA-256,
// then entered in the bag's journal of verified copies (rewritten whole,
// custody's VerifiedJournal format); the tag files come last,
// tagmanifest-sha256.txt the very last. A prefix without it is unfinished,
// and the serial's newest one is continued by the next offload: a copy is
// kept only when the journal lists it with the size and SHA-256 the store
// now gives, and an upload in parts is continued from the parts that hold
// the card's bytes, or aborted. Nothing is ever deleted from the store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "custody/Offload.h"
#include "objectstore/S3Client.h"
#include "objectstore/S3Settings.h"

namespace objectstore {

struct StoreBagRequest {
    S3Location archive;   // s3://BUCKET/PREFIX
    std::string card;     // the card's root folder
    std::string serial;   // PREFIX/<serial>/
    // As custody::OffloadRequest::info; Object-Lock-Mode and
    // Object-Lock-Retain-Until (the earliest of its objects: the bag's
    // first attempt's start and the retain days) follow it when objects
    // are locked.
    custody::BagInfo info;
    // Above 0: every object is locked in `lockMode` until this many days
    // after the offload began, and a bucket without Object Lock is refused
    // (result.store.problem NoObjectLock). 0: the bucket's default.
    // Mode None counts as Compliance.
    std::int32_t retainDays = 0;
    LockMode lockMode = LockMode::Compliance;
    custody::UtcClock clock;
    // As custody::OffloadRequest: called on the calling thread only, each
    // time a transfer moved on and at least every 50 ms.
    std::function<bool()> interrupted;
    std::function<void(const custody::OffloadProgress&)> progress;
    // Objects (or parts of one) moving at once.
    unsigned transfers = 4;
};

// custody::OffloadResult's fields mean what they mean for a folder; `bag`
// and sealedEarlier->bag are s3:// URLs. `setAside` stays empty: a copy
// the journal does not vouch for is uploaded again (a new version) where
// the card holds its name; where it does not, the unfinished bag is left
// as it is and the card goes into a new one.
struct StoreBagResult : custody::OffloadResult {
    // The store's answer behind a failure; Ok when the failure was not the
    // store's (the card, an interruption, a bag read back wrong).
    S3Error store;
    // The lock every object got; mode None for the bucket's default.
    ObjectLock lock;
};

// `cardFs` reads the card.
StoreBagResult OffloadCardToStore(S3Client& client, const custody::FileSystem& cardFs,
                                  const StoreBagRequest& request);

// "s3://BUCKET/KEY".
std::string StoreUrl(const std::string& bucket, const std::string& key);

// The tag file whose presence makes a bag prefix finished.
extern const char* const kTagManifestName;

}  // namespace objectstore
