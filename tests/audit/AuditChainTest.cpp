#include "audit/AuditChain.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/Hash.h"

namespace {

std::string Sha256(const std::string& line)
{
    return HashHex(HashAlgorithm::Sha256, line);
}

// `count`, when given, is the line's unchained_before as written.
std::string Line(std::uint64_t seq, const std::string& prev, const std::string& action, const std::string& count = "")
{
    return "{\"seq\":" + std::to_string(seq) + ",\"prev\":\"" + prev + "\","
           + (count.empty() ? "" : "\"unchained_before\":" + count + ",") + "\"action\":\"" + action + "\"}";
}

// Lines 1 to 4 of a good chain, without line endings.
std::vector<std::string> GoodLines()
{
    std::vector<std::string> lines;
    std::string prev = kNoPreviousLine;
    for (const char* action : {"time.sync", "serial.set", "identity.set", "format"}) {
        lines.push_back(Line(lines.size() + 1, prev, action));
        prev = Sha256(lines.back());
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const char* ending = "\n")
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + ending;
    }
    return text;
}

// Audit lines of an earlier orvanectl, and a chain that continues them,
// its first line saying how many they are as `count`.
const std::vector<std::string> earlier = {"{\"action\":\"time.sync\"}", "{\"action\":\"format\"}"};
std::vector<std::string> Continuing(const std::string& count)
{
    const std::string first = Line(3, Sha256(earlier[1]), "serial.set", count);
    return {first, Line(4, Sha256(first), "format")};
}
const std::vector<std::string> continuing = Continuing("2");

std::string Edited(std::vector<std::string> lines, std::size_t index, const std::string& line)
{
    lines[index] = line;
    return Join(lines);
}

ChainReport Check(const std::string& text, std::size_t piece)
{
    ChainChecker checker;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        checker.Feed(std::string_view(text).substr(at, piece));
    }
    return checker.Finish();
}

TEST(AuditChain, FindsTheFirstLineThatBreaksTheChainAndWhy)
{
    const std::vector<std::string> good = GoodLines();
    std::vector<std::string> removed = good;
    removed.erase(removed.begin() + 1);
    std::vector<std::string> inserted = good;
    inserted.insert(inserted.begin() + 2, good[0]);
    std::vector<std::string> swapped = good;
    std::swap(swapped[1], swapped[2]);
    const std::string editedAction = good[1].substr(0, good[1].size() - 5) + "get\"}";

    const struct {
        const char* name;
        std::string text;
        std::uint64_t brokenAt;  // 0: the chain is whole
        const char* why;         // the start of the reason
    } cases[] = {
        {"good chain", Join(good), 0, ""},
        {"good chain with CR LF endings", Join(good, "\r\n"), 0, ""},
        {"empty file", "", 0, ""},
        {"a line edited", Edited(good, 1, editedAction), 3, "prev is not the hash of line 2: that line was edited"},
        {"the first line's prev edited", Edited(good, 0, Line(1, Sha256("x"), "time.sync")), 1,
         "prev is not 64 zeros"},
        {"a line removed", Join(removed), 2, "seq is 3 where 2 is due: a line before it was removed"},
        {"the first line removed", Join({good[1], good[2]}), 1, "seq is 2 where 1 is due"},
        {"a line inserted", Join(inserted), 3, "seq is 1 where 3 is due: a line was inserted"},
        {"two lines swapped", Join(swapped), 2, "seq is 3 where 2 is due"},
        {"a forged line with the due seq", Edited(good, 2, Line(3, Sha256("forged"), "format")), 3,
         "prev is not the hash of line 2"},
        {"half a line at the end", Join(good) + "{\"seq\":5,\"prev\":", 5, "half a line"},
        {"a line that is not JSON", Edited(good, 1, "serial.set ok"), 2, "not a JSON object"},
        {"a blank line", Edited(good, 3, ""), 4, "not a JSON object"},
        {"a JSON array", Edited(good, 0, "[1,2]"), 1, "not a JSON object"},
        {"a line without seq", Edited(good, 2, "{\"action\":\"time.sync\"}"), 3, "no seq"},
        {"lines from before the chain, continued by it", Join(earlier) + Join(continuing), 0, ""},
        {"a chain that does not continue the lines before it", Join(earlier) + Join(good), 3,
         "seq is 1 where 3 is due"},
        {"every line stripped of seq and prev", Join(earlier), 1, "none of its 2 lines is chained"},
        {"a chain that does not count the lines before it", Join(earlier) + Join(Continuing("")), 3,
         "no unchained_before, though 2 lines stand before the chain"},
        {"a count that differs", Join(earlier) + Join(Continuing("1")), 3, "unchained_before is 1 where 2 lines"},
        {"a count as text", Join(earlier) + Join(Continuing("\"2\"")), 3, "unchained_before is not a count"},
        {"a count after the chain's first line", Edited(good, 2, Line(3, Sha256(good[1]), "serial.set", "0")), 3,
         "unchained_before on a line after the chain's first"},
        {"seq as text", Edited(good, 0, "{\"seq\":\"1\",\"prev\":\"" + std::string(kNoPreviousLine) + "\"}"), 1,
         "no seq"},
        {"prev in capitals", Edited(good, 0, Line(1, std::string(64, 'A'), "x")), 1, "no prev"},
    };
    for (const auto& c : cases) {
        // Whole, and in pieces that cut lines anywhere: the same verdict.
        for (const std::size_t piece : {c.text.size() + 1, std::size_t{1}, std::size_t{7}}) {
            const ChainReport report = Check(c.text, piece);
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
            EXPECT_EQ(c.brokenAt == 0, report.whole) << report.why;
            EXPECT_EQ(c.brokenAt, report.brokenAt);
            if (c.brokenAt == 0) {
                EXPECT_EQ("", report.why);
            } else {
                EXPECT_EQ(0u, report.why.rfind(c.why, 0)) << report.why;
            }
        }
    }
}

TEST(AuditChain, AWholeChainReportsItsLinesAndTheLastLinesHash)
{
    const std::vector<std::string> good = GoodLines();
    const ChainReport report = Check(Join(good), 4096);
    EXPECT_EQ(4u, report.lines);
    EXPECT_EQ(Sha256(good.back()), report.lastHash);
    EXPECT_EQ(kNoPreviousLine, Check("", 1).lastHash);
    EXPECT_EQ(2u, Check(Join(earlier) + Join(continuing), 4096).unchained);
}

// As a writer continues a file it has checked: the chain's first line
// counts the lines before it, and the file stays whole.
TEST(AuditChain, TheLineAfterACheckedFileKeepsItWhole)
{
    const struct {
        const char* name;
        std::string file;
        std::uint64_t unchained;
    } cases[] = {
        {"an empty file", "", 0},
        {"a chain", Join(GoodLines()), 0},
        {"lines from before the chain", Join(earlier), 2},
        {"lines from before the chain, continued", Join(earlier) + Join(continuing), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ChainReport before = Check(c.file, 4096);
        ASSERT_TRUE(before.whole || before.awaitsChain) << before.why;
        nlohmann::ordered_json line = ChainedLineStart(NextLink(before));
        line["action"] = "time.sync";

        const ChainReport after = Check(c.file + line.dump() + "\n", 4096);
        EXPECT_TRUE(after.whole) << after.brokenAt << ": " << after.why;
        EXPECT_EQ(before.lines + 1, after.lines);
        EXPECT_EQ(c.unchained, after.unchained);
    }
}

TEST(AuditChain, ALineLongerThanAnyAuditLineIsRefusedWithoutHoldingIt)
{
    const std::string endless(kMaxAuditLineBytes + 1, 'x');
    const ChainReport report = Check(Join(GoodLines()) + endless, 64 * 1024);
    EXPECT_FALSE(report.whole);
    EXPECT_EQ(5u, report.brokenAt);
}

// Each append reopens the file and sees only its tail, as a writer does.
TEST(AuditChain, AChainContinuedFromTheTailOfTheFileStaysWhole)
{
    std::string file;
    for (int i = 0; i < 5; ++i) {
        ChainLink link;
        const std::size_t tailSize = 150;  // more than one line, less than two
        const bool whole = file.size() <= tailSize;
        ASSERT_EQ(ChainEnd::Found, FindChainEnd(whole ? file : file.substr(file.size() - tailSize), whole, link));
        file += Line(link.seq, link.prev, "time.sync") + "\n";
    }
    const ChainReport report = Check(file, 4096);
    EXPECT_TRUE(report.whole) << report.brokenAt << ": " << report.why;
    EXPECT_EQ(5u, report.lines);
}

TEST(AuditChain, AFileThatCannotBeContinuedIsNamedSo)
{
    const std::string good = Join(GoodLines());
    const struct {
        const char* name;
        std::string tail;
        bool wholeFile;
        ChainEnd end;
    } cases[] = {
        {"half a line", good + "{\"seq\":5", true, ChainEnd::HalfLine},
        {"a last line from before the chain", good + "{\"action\":\"format\"}\n", true, ChainEnd::Unchained},
        {"a last line that is not JSON", good + "oops\n", true, ChainEnd::NotChained},
        {"a tail without the start of its last line", good.substr(good.size() - 20), false, ChainEnd::NeedMore},
        {"a good file", good, true, ChainEnd::Found},
    };
    for (const auto& c : cases) {
        ChainLink link;
        EXPECT_EQ(c.end, FindChainEnd(c.tail, c.wholeFile, link)) << c.name;
    }
}

}  // namespace
