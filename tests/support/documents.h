#pragma once
// Documents for engine tests: patterns whose pictures are attached from files that the
// test writes, and what the editor must save for them.

#include "puzzle/document.h"
#include "puzzle/pictures.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace pdt::puzzle {

// A failing comparison shows the message, not its bytes.
inline void PrintTo(const UserMessage& m, std::ostream* os) {
    *os << '"' << m.text << "\" (" << m.caption << ", icon " << int(m.icon) << ')';
}

} // namespace pdt::puzzle

namespace pdt::test {

struct PictureSizes {
    size_t puzzle = 0;
    size_t finished = 0;
};

// The bytes of a test picture, different for every pattern and slot.
inline Bytes pictureFor(int pattern, int slot, size_t n) {
    return pictureBytes(n, std::uint8_t(1 + pattern * 2 + slot));
}

inline std::string picturePath(const TempDir& dir, int pattern, int slot) {
    return dir / ("p" + std::to_string(pattern) + (slot == 0 ? "-puzzle.jpg" : "-finished.jpg"));
}

// A document of one pattern per entry; each picture of non-zero size is written to its
// own file in dir and attached. Pattern k gets pieceCount 10 + k and a comment.
inline puzzle::Document documentWith(const TempDir& dir, const std::vector<PictureSizes>& sizes) {
    puzzle::Document doc;
    puzzle::ResetDocument(doc);
    for (size_t k = 0; k < sizes.size(); ++k) {
        const int i = int(k);
        if (i > 0)
            puzzle::AppendPattern(doc);
        doc.pattern(i).pieceCount = std::int16_t(10 + i);
        puzzle::setFieldText(doc.pattern(i).clearComment, "clear " + std::to_string(i));
        const size_t n[2] = {sizes[k].puzzle, sizes[k].finished};
        for (int slot = 0; slot < 2; ++slot) {
            if (n[slot] == 0)
                continue;
            const std::string path = picturePath(dir, i, slot);
            writeFile(path, pictureFor(i, slot, n[slot]));
            const auto refusal = puzzle::AttachPicture(doc, i, slot, path);
            EXPECT_FALSE(refusal) << refusal->text;
        }
    }
    return doc;
}

// What saving a document whose pictures all come from their own files must write.
inline Bytes expectedFileFor(const puzzle::Document& doc, std::string_view password = {}) {
    std::vector<PatternSpec> specs;
    for (int i = 0; i < doc.patternCount(); ++i) {
        PatternSpec s;
        s.record = doc.pattern(i);
        if (!s.record.sourceFiles[0].empty())
            s.puzzle = readFile(s.record.sourceFiles[0]);
        if (!s.record.sourceFiles[1].empty())
            s.finished = readFile(s.record.sourceFiles[1]);
        specs.push_back(std::move(s));
    }
    return buildFile(std::move(specs), password, doc.state.vendorFlag);
}

inline void expectSameDocument(const puzzle::Document& a, const puzzle::Document& b) {
    const auto state = [](const puzzle::EditorState& s) {
        return std::tie(s.lastIndex, s.password, s.vendorFlag, s.currentFilePath);
    };
    EXPECT_TRUE(a.table == b.table);
    EXPECT_EQ(state(a.state), state(b.state));
}

} // namespace pdt::test
