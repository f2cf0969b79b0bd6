// The text table: the English column is the product's wording and must not
// drift; the other columns must be complete translations, not English left
// in place.
#include "texts/TextTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Entry `id` of `language` as UTF-8, so that expectations read as the
// operator sees them and failures print legibly.
std::string Utf8(int language, int id) {
    std::string out;
    const WideChar* text = g_textTable[language]->entries[id];
    for (size_t i = 0; text[i] != 0; ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        if (c >= 0xD800 && c < 0xDC00 && text[i + 1] != 0) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[++i]) - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

size_t Units(int language, int id) {
    return std::char_traits<WideChar>::length(g_textTable[language]->entries[id]);
}

bool HasUnitIn(int language, int id, char16_t first, char16_t last) {
    for (const WideChar* p = g_textTable[language]->entries[id]; *p != 0; ++p) {
        const char16_t unit = static_cast<char16_t>(*p);
        if (unit >= first && unit <= last) return true;
    }
    return false;
}

// Names that every column keeps: the brand, WiFi modes, resolutions, photo
// sizes, GPS, and the language list, which names each language in itself.
const std::set<int> kKeptInEveryColumn = {1,  27, 28, 32, 77, 78, 79, 80,  81,  83,  84,  85, 86,
                                          87, 88, 104, 119, 120, 121, 125, 126, 127, 128, 129};

const int kTranslated[] = {kChinese, kRussian, kUkrainian};

const char* const kEnglishWording[kTextCount] = {
    "Stand-Alone Kestrava",  // 0
    "Kestrava",  // 1
    "Connect device",  // 2
    "Disconnect device",  // 3
    "Sign in",  // 4
    "User Type:",  // 5
    "Password:",  // 6
    "Exit",  // 7
    "Administrator",  // 8
    "User",  // 9
    "Time setting",  // 10
    "Time Synchronizer has finished",  // 11
    "Calibrate time failed!",  // 12
    "Time Synchronizer",  // 13
    "Parameter setting",  // 14
    "Current video resoulution:",  // 15
    "Current Battery life:",  // 16
    "Read",  // 17
    "Setting",  // 18
    "ID setting",  // 19
    "Camera S/N",  // 20
    "User ID",  // 21
    "Department ID",  // 22
    "User name",  // 23
    "Department name",  // 24
    "4G Setting",  // 25
    "WiFi mode",  // 26
    "AP",  // 27
    "STA",  // 28
    "WiFi SSID",  // 29
    "WiFi password",  // 30
    "Server IP address",  // 31
    "4G APN",  // 32
    "4G PIN",  // 33
    "Server port",  // 34
    "(keep empty if no needed to set)",  // 35
    "fail",  // 36
    "Password Setting",  // 37
    "Administrator password",  // 38
    "User password",  // 39
    "Confirm password",  // 40
    "Switch to USB Storage Mode",  // 41
    "Setting",  // 42
    "Setting",  // 43
    "Delete record",  // 44
    "Logout",  // 45
    "Set successful.",  // 46
    "Set failed.",  // 47
    "Information",  // 48
    "Error",  // 49
    "OK",  // 50
    "Switch to USB Storage Mode Failed.",  // 51
    "Can't find camera.",  // 52
    "Connect device failed.Please check if device connected.",  // 53
    "Please press \"Connect device\" button first",  // 54
    "Sign in failed.",  // 55
    "Password can't be null",  // 56
    "The two password is inconsistent",  // 57
    "The password modify successfully!",  // 58
    "The Password modify failed!",  // 59
    "Camera has entered to u-disk",  // 60
    "Camera enter U-disk failed!",  // 61
    "Confirm to delete all camera files?",  // 62
    "Yes",  // 63
    "No",  // 64
    "Delete files have finished!",  // 65
    "The length of the camera ID is",  // 66
    "The length of user ID is",  // 67
    "The length of the password must be 6!",  // 68
    "Input must be number or letter!",  // 69
    "Input can't be space!",  // 70
    "Format TF Card",  // 71
    "Format Success!",  // 72
    "Format Failed!",  // 73
    "Confirm to format card?",  // 74
    "Camera setting",  // 75
    "Video Resolution",  // 76
    "2304x1296 30P",  // 77
    "1920x1080 30P",  // 78
    "1280x720 60P",  // 79
    "1280x720 30P",  // 80
    "848x480 30P",  // 81
    "Live Stream",  // 82
    "1280x720 30P",  // 83
    "1280x720 15P",  // 84
    "848x480 30P",  // 85
    "848x480 15P",  // 86
    "640x480 30P",  // 87
    "640x480 15P",  // 88
    "Save Second Stream",  // 89
    "Yes",  // 90
    "No",  // 91
    "Pre Record",  // 92
    "On",  // 93
    "Off",  // 94
    "Video Quality",  // 95
    "Super Fine",  // 96
    "Fine",  // 97
    "Normal",  // 98
    "Split Time",  // 99
    "1 Minute",  // 100
    "5 Minutes",  // 101
    "10 Minutes",  // 102
    "15 Minuties",  // 103
    "WIFI",  // 104
    "Off",  // 105
    "On",  // 106
    "Screen Save",  // 107
    "Off",  // 108
    "I Minute",  // 109
    "3 Minutes",  // 110
    "5 Minutes",  // 111
    "Key Beep",  // 112
    "Off",  // 113
    "On",  // 114
    "Record Beep",  // 115
    "Off",  // 116
    "On",  // 117
    "Language",  // 118
    "English",  // 119
    "中文",  // 120
    "GPS",  // 121
    "Off",  // 122
    "On",  // 123
    "Photo Size",  // 124
    "4M",  // 125
    "8M",  // 126
    "14M",  // 127
    "16M",  // 128
    "21M",  // 129
    "IR Control",  // 130
    "Manual",  // 131
    "Auto",  // 132
    "G-Sensor",  // 133
    "Off",  // 134
    "On",  // 135
    "Post Record",  // 136
    "Off",  // 137
    "60S",  // 138
    "90S",  // 139
    "120S",  // 140
    "Vibration",  // 141
    "Off",  // 142
    "On",  // 143
    "Time Zone setting",  // 144
    "Default Setting",  // 145
    "FW Version",  // 146
    "Serial No",  // 147
};

class TextTableTest : public ::testing::Test {
protected:
    void TearDown() override { g_language = saved_; }

private:
    signed char saved_ = g_language;
};

TEST_F(TextTableTest, EveryLanguageHasAllEntriesNonEmpty) {
    for (int language = 0; language < kLanguageCount; ++language) {
        ASSERT_NE(g_textTable[language], nullptr) << language;
        for (int id = 0; id < kTextCount; ++id) {
            ASSERT_NE(g_textTable[language]->entries[id], nullptr) << language << "/" << id;
            EXPECT_GT(Units(language, id), 0u) << language << "/" << id;
        }
    }
}

TEST_F(TextTableTest, EnglishColumnIsExactlyTheShippedWording) {
    for (int id = 0; id < kTextCount; ++id) {
        EXPECT_EQ(Utf8(kEnglish, id), kEnglishWording[id]) << "entry " << id;
    }
}

TEST_F(TextTableTest, ConnectFirstNoticeQuotesTheButtonName) {
    EXPECT_EQ(Utf8(kEnglish, kTextConnectFirst), "Please press \"Connect device\" button first");
    EXPECT_EQ(Utf8(kEnglish, kTextConnectFailed),
              "Connect device failed.Please check if device connected.");
}

TEST_F(TextTableTest, StartsInChinese) {
    EXPECT_EQ(g_language, kChinese);
}

TEST_F(TextTableTest, TextReadsTheLanguageInForce) {
    for (int language = 0; language < kLanguageCount; ++language) {
        g_language = static_cast<signed char>(language);
        for (int id : {kTextAppTitle, kTextNoticeButton, kTextSerialNoLabel}) {
            EXPECT_EQ(Text(id), g_textTable[language]->entries[id]) << language << "/" << id;
        }
    }
    g_language = kEnglish;
    EXPECT_EQ(Utf8(kEnglish, kTextNoticeButton), "OK");
    EXPECT_EQ(Text(kTextNoticeButton), g_textTable[kEnglish]->entries[kTextNoticeButton]);
}

TEST_F(TextTableTest, TranslationsLeaveNoEnglishInPlace) {
    for (int language : kTranslated) {
        for (int id = 0; id < kTextCount; ++id) {
            if (kKeptInEveryColumn.count(id) != 0) continue;
            EXPECT_NE(Utf8(language, id), kEnglishWording[id]) << language << "/" << id;
        }
    }
}

TEST_F(TextTableTest, TranslationsAreWrittenInTheirScript) {
    for (int id = 0; id < kTextCount; ++id) {
        if (kKeptInEveryColumn.count(id) != 0) continue;
        EXPECT_TRUE(HasUnitIn(kChinese, id, 0x4E00, 0x9FFF)) << "Chinese " << id;
        EXPECT_TRUE(HasUnitIn(kRussian, id, 0x0400, 0x04FF)) << "Russian " << id;
        EXPECT_TRUE(HasUnitIn(kUkrainian, id, 0x0400, 0x04FF)) << "Ukrainian " << id;
    }
}

// The time display joins a 22-character time stamp and the outcome text in a
// buffer of 100 UTF-16 units, terminator included.
TEST_F(TextTableTest, TimeOutcomesFitBehindATimeStamp) {
    for (int language = 0; language < kLanguageCount; ++language) {
        for (int id : {kTextTimeSynced, kTextTimeSyncFailed}) {
            EXPECT_LT(22 + Units(language, id), 100u) << language << "/" << id;
        }
    }
}

}  // namespace
