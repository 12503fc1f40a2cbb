#include "cli/manifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>
#include <initializer_list>
#include <limits>

namespace pdt::cli {

namespace {

// Each reader gives the reason it gives up, or an empty string.
std::string unknownKey(const QJsonObject& o, std::initializer_list<const char*> known,
                       const std::string& where) {
    for (auto it = o.begin(); it != o.end(); ++it) {
        bool found = false;
        for (const char* k : known)
            found = found || it.key() == QLatin1String(k);
        if (!found)
            return where + "unknown field \"" + it.key().toStdString() + "\"";
    }
    return {};
}

std::string readString(const QJsonObject& o, const char* key, const std::string& where,
                       std::optional<std::string>& out) {
    const auto v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (!v.isString())
        return where + "\"" + key + "\" must be a string";
    out = v.toString().toStdString();
    return {};
}

// A flag is true/false; 0 and 1 are taken as well.
std::string readFlag(const QJsonObject& o, const char* key, const std::string& where, bool& out) {
    const auto v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (v.isBool()) {
        out = v.toBool();
        return {};
    }
    if (v.isDouble() && (v.toDouble() == 0.0 || v.toDouble() == 1.0)) {
        out = v.toDouble() == 1.0;
        return {};
    }
    return where + "\"" + key + "\" must be true or false";
}

std::string readPattern(const QJsonValue& value, int number, ManifestPattern& p) {
    const std::string where = "pattern " + std::to_string(number) + ": ";
    if (!value.isObject())
        return where + "must be an object";
    const QJsonObject o = value.toObject();
    if (auto e = unknownKey(o,
                            {"puzzle", "finished", "puzzlePath", "finishedPath", "pieceCount",
                             "rotation", "clearComment", "finishComment"},
                            where);
        !e.empty())
        return e;
    std::optional<std::string> clear, finish;
    for (const auto& e :
         {readString(o, "puzzle", where, p.puzzle), readString(o, "finished", where, p.finished),
          readString(o, "puzzlePath", where, p.puzzlePath),
          readString(o, "finishedPath", where, p.finishedPath),
          readString(o, "clearComment", where, clear),
          readString(o, "finishComment", where, finish),
          readFlag(o, "rotation", where, p.rotation)})
        if (!e.empty())
            return e;
    p.clearComment = clear.value_or("");
    p.finishComment = finish.value_or("");

    for (const auto* name : {&p.puzzle, &p.finished})
        if (*name && (*name)->empty())
            return where + "a picture name must not be empty";
    if (!p.puzzle && !p.finished)
        return where + "needs a puzzle or a finished picture";

    const auto count = o.value(QLatin1String("pieceCount"));
    if (!count.isUndefined()) {
        const double d = count.isDouble() ? count.toDouble() : std::nan("");
        if (!(d == std::floor(d) && d >= std::numeric_limits<std::int16_t>::min() &&
              d <= std::numeric_limits<std::int16_t>::max()))
            return where + "\"pieceCount\" must be a whole number from -32768 to 32767";
        p.pieceCount = std::int16_t(d);
    }
    return {};
}

} // namespace

std::variant<Manifest, std::string> ParseManifest(std::string_view json) {
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(
        QByteArray::fromRawData(json.data(), qsizetype(json.size())), &error);
    if (error.error != QJsonParseError::NoError)
        return "not valid JSON at offset " + std::to_string(error.offset) + ": " +
               error.errorString().toStdString();
    if (!doc.isObject())
        return std::string("the manifest must be a JSON object");
    const QJsonObject root = doc.object();
    if (auto e = unknownKey(root, {"password", "vendorInfo", "patterns"}, ""); !e.empty())
        return e;

    Manifest m;
    std::optional<std::string> password;
    if (auto e = readString(root, "password", "", password); !e.empty())
        return e;
    m.password = password.value_or("");
    if (auto e = readFlag(root, "vendorInfo", "", m.vendorInfo); !e.empty())
        return e;

    const auto patterns = root.value(QLatin1String("patterns"));
    if (!patterns.isArray())
        return std::string("\"patterns\" must be an array");
    const QJsonArray list = patterns.toArray();
    if (list.isEmpty())
        return std::string("\"patterns\" is empty: a puzzle data file holds 1 to 200 patterns");
    if (list.size() > kMaxManifestPatterns)
        return std::to_string(list.size()) +
               " patterns: a puzzle data file holds at most 200 patterns";
    m.patterns.resize(size_t(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i)
        if (auto e = readPattern(list.at(i), int(i) + 1, m.patterns[size_t(i)]); !e.empty())
            return e;
    return m;
}

JsonValue ManifestJson(const Manifest& manifest) {
    JsonValue patterns = JsonValue::array();
    for (const auto& p : manifest.patterns) {
        JsonValue o = JsonValue::object();
        if (p.puzzle)
            o.add("puzzle", *p.puzzle);
        if (p.finished)
            o.add("finished", *p.finished);
        if (p.puzzlePath)
            o.add("puzzlePath", *p.puzzlePath);
        if (p.finishedPath)
            o.add("finishedPath", *p.finishedPath);
        if (p.pieceCount)
            o.add("pieceCount", int(*p.pieceCount));
        o.add("rotation", p.rotation);
        o.add("clearComment", p.clearComment);
        o.add("finishComment", p.finishComment);
        patterns.push(std::move(o));
    }
    JsonValue root = JsonValue::object();
    root.add("password", manifest.password);
    root.add("vendorInfo", manifest.vendorInfo);
    root.add("patterns", std::move(patterns));
    return root;
}

} // namespace pdt::cli
