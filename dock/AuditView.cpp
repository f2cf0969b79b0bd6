// The one place the dock reaches the audit chain's checker.
#include "dock/AuditView.h"

#include <string_view>
#include <vector>

#include "audit/AuditChain.h"

AuditView ReadAuditView(const custody::FileSystem& fs, const std::string& path, std::size_t keepLines)
{
    AuditView view;
    std::unique_ptr<custody::ReadStream> file = fs.OpenRead(path);
    if (!file) {
        view.why = fs.LastError();
        return view;
    }
    std::size_t keptBytes = 0;
    ChainChecker checker([&view, &keptBytes, keepLines](std::uint64_t, std::string_view line) {
        view.last.emplace_back(line);
        keptBytes += line.size();
        while (!view.last.empty() && (view.last.size() > keepLines || keptBytes > kAuditViewBytes)) {
            keptBytes -= view.last.front().size();
            view.last.pop_front();
        }
    });
    // Bytes after the last line ending wait for the next piece: they are
    // fed only once their line is whole.
    std::string unfinished;
    std::vector<char> piece(1 << 20);
    for (;;) {
        std::size_t count = 0;
        if (!file->Read(piece.data(), piece.size(), count)) {
            view.why = fs.LastError();
            return view;
        }
        if (count == 0)
            break;
        unfinished.append(piece.data(), count);
        std::size_t end = unfinished.rfind('\n');
        if (end == std::string::npos) {
            // No audit line is this long: let the checker refuse it.
            if (unfinished.size() > kMaxAuditLineBytes) {
                checker.Feed(unfinished);
                unfinished.clear();
            }
            continue;
        }
        checker.Feed(std::string_view(unfinished).substr(0, end + 1));
        unfinished.erase(0, end + 1);
    }
    ChainReport report = checker.Finish();
    view.lines = report.lines;
    view.brokenAt = report.brokenAt;
    view.why = report.why;
    view.chain = report.whole ? AuditView::Chain::Whole
                 : report.awaitsChain ? AuditView::Chain::AwaitsChain
                                      : AuditView::Chain::Broken;
    return view;
}
