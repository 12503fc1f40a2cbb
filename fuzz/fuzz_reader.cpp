// Hostile puzzle data files: the walk, opening, extraction of every slot and a save of
// what was opened must neither crash nor read or write outside the file, and whatever is
// saved must read back as a sound file holding the same pictures.
#include "memory_file_system.h"
#include "puzzle/open.h"
#include "puzzle/pictures.h"
#include "puzzle/save.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace pdt::puzzle;
using pdt::fuzz::MemoryFileSystem;

namespace {

#define REQUIRE(cond)                                                                              \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond);                        \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

using Data = MemoryFileSystem::Data;

Data slice(const Data& d, std::int64_t offset, std::int64_t size) {
    return Data(d.begin() + offset, d.begin() + offset + size);
}

// Each slot's picture: extracted exactly when it is a stored range inside the file.
void checkExtraction(const Document& doc, MemoryFileSystem& fs, const Data& input) {
    for (int i = 0; i <= doc.state.lastIndex; ++i) {
        for (int slot = 0; slot < 2; ++slot) {
            const auto refusal = CheckExtract(doc, i, slot);
            (void)DefaultExtractName(doc, i, slot);
            const ExtractResult x = ExtractPicture(doc, i, slot, "out", fs);
            const std::int64_t offset = slotOffset(doc.pattern(i), slot);
            const std::int64_t size = slotSize(doc.pattern(i), slot);
            const bool inside =
                offset >= 0 && size >= 0 && std::uint64_t(offset + size) <= input.size();
            REQUIRE(x.extracted == (!refusal && inside));
            REQUIRE(!fs.find("out$$$"));
            if (x.extracted) {
                REQUIRE(fs.find("out") && *fs.find("out") == slice(input, offset, size));
                (void)fs.remove("out");
            }
            REQUIRE(!fs.find("out"));
        }
    }
}

// What a save writes opens soundly, with the pictures it was given, and saves again to
// the same bytes.
void checkSave(Document& doc, MemoryFileSystem& fs, const Data& input) {
    if (CheckPatternsBeforeSave(doc))
        return;
    const Document before = doc;
    const SaveResult saved = SavePuzzleDataFile(doc, "re.ADX", doc.state.password, {}, fs);
    REQUIRE(!fs.find("re.ADX$$$"));
    if (!saved.saved) {
        REQUIRE(saved.message && !fs.find("re.ADX"));
        REQUIRE(doc.table == before.table && doc.state.currentFilePath == "in.ADX");
        return;
    }
    const Data& written = *fs.find("re.ADX");
    const ReadResult again = ReadPuzzleDataFile("re.ADX", fs);
    REQUIRE(again.file && again.file->walk.sound());
    REQUIRE(int(again.file->walk.records.size()) == before.patternCount());
    REQUIRE(again.file->password == before.state.password);
    for (int i = 0; i < before.patternCount(); ++i) {
        for (int slot = 0; slot < 2; ++slot) {
            const PatternRecord& was = before.pattern(i);
            const PatternRecord& now = again.file->walk.records[size_t(i)];
            REQUIRE(slotSize(now, slot) == slotSize(was, slot));
            REQUIRE(slice(written, slotOffset(now, slot), slotSize(now, slot)) ==
                    slice(input, slotOffset(was, slot), slotSize(was, slot)));
        }
    }
    const Data first = written;
    REQUIRE(SavePuzzleDataFile(doc, "re.ADX", doc.state.password, {}, fs).saved);
    REQUIRE(*fs.find("re.ADX") == first);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFileSystem fs;
    const Data input(data, data + size);
    fs.put("in.ADX", input);
    const ReadResult r = ReadPuzzleDataFile("in.ADX", fs);
    REQUIRE(r.file.has_value() != r.refusal.has_value());
    if (!r.file)
        return 0;
    const WalkResult& walk = r.file->walk;
    REQUIRE(!walk.records.empty() && walk.records.size() <= size_t(kMaxPatterns));
    REQUIRE(DamageWarning(*r.file).has_value() == !walk.sound());

    Document doc;
    ResetDocument(doc);
    ApplyOpenedFile(doc, *r.file);
    REQUIRE(doc.patternCount() == int(walk.records.size()));
    REQUIRE(doc.state.vendorFlag == walk.records.front().vendorInfo);
    for (int i = doc.patternCount(); i < kMaxPatterns; ++i)
        REQUIRE(doc.pattern(i) == PatternRecord{});

    checkExtraction(doc, fs, input);
    checkSave(doc, fs, input);
    REQUIRE(fs.openHandles() == 0);
    return 0;
}
