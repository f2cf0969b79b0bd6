// The audit trail as the dock shows it, read from a real file.
#include <gtest/gtest.h>

#include <fstream>

#include "TempFolder.h"
#include "dock/AuditView.h"

namespace {

// Three lines chained as the trail writes them.
const char* const kChained =
    "{\"seq\":1,\"prev\":\"0000000000000000000000000000000000000000000000000000000000000000\",\"a\":1}\n";

TEST(AuditViewTest, WholeBrokenUnreadableAndAHalfWrittenLineLeftOut)
{
    TempFolder folder;
    custody::FileSystem& fs = custody::LocalFileSystem();
    std::string path = fs.Join(folder.Path(), "audit.jsonl");

    EXPECT_EQ(ReadAuditView(fs, path, 10).chain, AuditView::Chain::Unreadable);  // a missing trail is no whole one

    std::ofstream(path, std::ios::binary) << kChained << "{\"seq\":2,\"prev\":\"beef\"";
    AuditView view = ReadAuditView(fs, path, 10);
    EXPECT_EQ(view.chain, AuditView::Chain::Whole);
    EXPECT_EQ(view.lines, 1u);
    ASSERT_EQ(view.last.size(), 1u);

    std::ofstream(path, std::ios::binary | std::ios::app) << "}\n";
    view = ReadAuditView(fs, path, 10);
    EXPECT_EQ(view.chain, AuditView::Chain::Broken);
    EXPECT_EQ(view.brokenAt, 2u);
    EXPECT_FALSE(view.why.empty());
}

}  // namespace
