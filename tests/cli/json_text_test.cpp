#include "cli/json_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace pdt::cli {
namespace {

TEST(JsonText, KeepsTheOrderOfMembersAndIndentsNesting) {
    JsonValue inner = JsonValue::object();
    inner.add("z", 1).add("a", 2);
    inner.inlined();
    JsonValue list = JsonValue::array();
    list.push(std::move(inner)).push(JsonValue());
    JsonValue root = JsonValue::object();
    root.add("zeta", true).add("alpha", std::int64_t(-2147483648LL)).add("list", std::move(list));
    root.add("empty", JsonValue::array());
    EXPECT_EQ(root.text(), "{\n"
                           "  \"zeta\": true,\n"
                           "  \"alpha\": -2147483648,\n"
                           "  \"list\": [\n"
                           "    {\"z\": 1, \"a\": 2},\n"
                           "    null\n"
                           "  ],\n"
                           "  \"empty\": []\n"
                           "}\n");
}

TEST(JsonText, EscapesEveryStringSoThatItParsesBackUnchanged) {
    const std::vector<std::string> texts = {"",
                                            "plain",
                                            "quote \" backslash \\ slash /",
                                            "tab\tCR\rLF\nNUL",
                                            "\x01\x1f\x7f",
                                            "完成です ｶﾅ ～ ∥",
                                            "C:\\pics\\a.jpg"};
    for (std::string t : texts) {
        if (t == "tab\tCR\rLF\nNUL")
            t.push_back('\0');
        JsonValue o = JsonValue::object();
        o.add(t, t);
        const auto text = o.text();
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(text));
        ASSERT_TRUE(doc.isObject()) << text;
        const QString expected = QString::fromUtf8(t.data(), qsizetype(t.size()));
        EXPECT_EQ(doc.object().value(expected).toString(), expected) << text;
        EXPECT_EQ(text.find('\n', 2), text.size() - 3) << "one line each: " << text;
    }
}

} // namespace
} // namespace pdt::cli
