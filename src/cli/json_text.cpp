#include "cli/json_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace pdt::cli {

std::string JsonQuoted(std::string_view utf8) {
    const QJsonArray one{QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))};
    const QByteArray t = QJsonDocument(one).toJson(QJsonDocument::Compact);
    // ["..."]: the literal without the brackets.
    return std::string(t.constData() + 1, size_t(t.size() - 2));
}

JsonValue& JsonValue::push(JsonValue v) {
    children_.push_back(std::move(v));
    return *this;
}

JsonValue& JsonValue::add(std::string_view key, JsonValue v) {
    keys_.emplace_back(key);
    children_.push_back(std::move(v));
    return *this;
}

std::string JsonValue::text() const {
    std::string out;
    write(out, 0);
    out += '\n';
    return out;
}

void JsonValue::write(std::string& out, int depth) const {
    switch (kind_) {
    case Kind::Null:
        out += "null";
        return;
    case Kind::Bool:
        out += bool_ ? "true" : "false";
        return;
    case Kind::Integer:
        out += std::to_string(integer_);
        return;
    case Kind::String:
        out += JsonQuoted(text_);
        return;
    case Kind::Array:
    case Kind::Object:
        break;
    }
    const bool isObject = kind_ == Kind::Object;
    out += isObject ? '{' : '[';
    if (inline_) {
        for (size_t i = 0; i < children_.size(); ++i) {
            out += i ? ", " : "";
            if (isObject) {
                out += JsonQuoted(keys_[i]);
                out += ": ";
            }
            children_[i].write(out, depth + 1);
        }
    } else if (!children_.empty()) {
        const std::string indent(size_t(depth + 1) * 2, ' ');
        for (size_t i = 0; i < children_.size(); ++i) {
            out += i ? ",\n" : "\n";
            out += indent;
            if (isObject) {
                out += JsonQuoted(keys_[i]);
                out += ": ";
            }
            children_[i].write(out, depth + 1);
        }
        out += '\n';
        out += std::string(size_t(depth) * 2, ' ');
    }
    out += isObject ? '}' : ']';
}

} // namespace pdt::cli
