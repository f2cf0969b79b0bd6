// The throwaway cluster as the archive's tests use it: a client on the
// settings the fixture wrote, buckets of their own made by the independent
// client (s3check.py), and cards of pseudo-random recordings.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "platform/FileSystem.h"
#include "objectstore/S3Client.h"
#include "tests/custody/FileTree.h"
#include "tests/custody/TempFolder.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

// Under Wine the settings file is reached through drive Z:, and the one
// bucket the journey needs is made beforehand by the independent client,
// which runs natively (ORVANE_WINE_BUCKET).
#ifdef _WIN32
#define ORVANE_S3_SETTINGS "Z:" ORVANE_S3_ENV_FILE
#else
#define ORVANE_S3_SETTINGS ORVANE_S3_ENV_FILE
#endif

class StoreArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream file(ORVANE_S3_SETTINGS);
        for (std::string line; std::getline(file, line);) {
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos) {
                values_[line.substr(0, equals)] = line.substr(equals + 1);
            }
        }
        objectstore::SettingsSources sources;
        sources.environment = [this](const char* name, std::string& value) {
            value = Setting(name);
            return !value.empty();
        };
        sources.readFile = [](const std::string&, std::string&) { return false; };
        ASSERT_EQ(objectstore::ResolveSettings(sources, settings_), objectstore::SettingsProblem::None)
            << "no store settings in " << ORVANE_S3_SETTINGS;
        transport_ = objectstore::MakePlatformTransport({});
        client_ = std::make_unique<objectstore::S3Client>(settings_, *transport_);
    }

    objectstore::S3Client& Client() { return *client_; }
    // A variable of the settings file (AWS_ENDPOINT_URL, ...); empty when none.
    std::string Setting(const std::string& name) const
    {
        const auto found = values_.find(name);
        return found == values_.end() ? "" : found->second;
    }

#ifdef _WIN32
    std::string MakeBucket(const std::string&, bool) { return ORVANE_WINE_BUCKET; }
#else
    // A bucket of this test's own, with or without Object Lock.
    std::string MakeBucket(const std::string& tag, bool objectLock)
    {
        std::string name = "t-" + tag + "-" + std::to_string(::getpid()) + "-"
                           + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::transform(name.begin(), name.end(), name.begin(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '-';
        });
        name = name.substr(0, 63);
        EXPECT_EQ(S3Check("create-bucket " + name + (objectLock ? " --object-lock" : "")), 0);
        return name;
    }

    // s3check.py's exit status; its standard output into `output`.
    static int S3Check(const std::string& arguments, std::string* output = nullptr)
    {
        const std::string command =
            std::string("/usr/bin/python3 ") + ORVANE_S3CHECK + " --env " + ORVANE_S3_ENV_FILE + " " + arguments;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) {
            return -1;
        }
        char block[4096];
        for (std::size_t count; (count = std::fread(block, 1, sizeof block, pipe)) > 0;) {
            if (output) {
                output->append(block, count);
            }
        }
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

#endif

    // Bytes no two recordings share.
    static std::string Recording(std::size_t size, unsigned seed)
    {
        std::mt19937 random(seed);
        std::string bytes(size, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random());
        }
        return bytes;
    }

    // A card holding `files` (path below the card, size).
    std::string MakeCard(const std::map<std::string, std::size_t>& files)
    {
        unsigned seed = 1;
        for (const auto& [path, size] : files) {
            EXPECT_TRUE(WriteTreeFile(custody::LocalFileSystem(), card_.Path(), path, Recording(size, seed++)));
        }
        return card_.Path();
    }

private:
    std::map<std::string, std::string> values_;
    objectstore::StoreSettings settings_;
    std::unique_ptr<objectstore::HttpTransport> transport_;
    std::unique_ptr<objectstore::S3Client> client_;
    TempFolder card_;
};
