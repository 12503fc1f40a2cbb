// What the recovery journal costs for a 200-pattern set with every text full: the GUI
// thread only copies the session's state (BM_JournalStateOnTheGuiThread, the budget is
// 5 ms); encoding it, with the pictures described and fingerprinted, runs on a worker
// (BM_EncodeJournalOnTheWorker). The journal's size is reported as a counter.
#include "session/edit_session.h"
#include "session/journal.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <optional>

using namespace pdt;

namespace {

// 200 patterns, both comments 256 bytes, both pictures attached from files of their own
// whose paths are long, a password of 16 bytes.
struct FullSet {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "pdt-bench-journal";
    std::optional<session::EditSession> session;

    FullSet() {
        std::filesystem::create_directories(dir);
        const std::string picture = (dir / (std::string(180, 'p') + ".jpg")).string();
        std::ofstream(picture, std::ios::binary) << std::string(200'000, 'x');
        session.emplace((dir / "history").string(), true);
        session::EditSession& s = *session;
        for (int i = 0; i < puzzle::kMaxPatterns; ++i) {
            if (i > 0)
                (void)s.addPattern({});
            s.show(i);
            for (const int slot : {0, 1})
                (void)s.attachPicture(i, slot, picture, {std::nullopt, 640, 480});
            s.setComment(0, std::string(256, 'a'));
            s.setComment(1, std::string(256, 'b'));
        }
        s.setPassword(std::string(16, 'k'));
    }
    ~FullSet() { std::filesystem::remove_all(dir); }
};

FullSet& fullSet() {
    static FullSet set;
    return set;
}

void BM_JournalStateOnTheGuiThread(benchmark::State& state) {
    const session::EditSession& s = *fullSet().session;
    for (auto _ : state) {
        std::optional<session::JournalState> handed = s.journalState(0);
        benchmark::DoNotOptimize(handed->document.table.data());
    }
}
BENCHMARK(BM_JournalStateOnTheGuiThread)->Unit(benchmark::kMicrosecond);

void BM_EncodeJournalOnTheWorker(benchmark::State& state) {
    const session::JournalState journal = fullSet().session->journalState(0);
    session::PictureFingerprints fingerprints;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string encoded =
            session::EncodeJournal(journal, fingerprints, puzzle::NativeFileSystem());
        bytes = encoded.size();
        benchmark::DoNotOptimize(encoded.data());
    }
    state.counters["journal_bytes"] = double(bytes);
}
BENCHMARK(BM_EncodeJournalOnTheWorker)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
