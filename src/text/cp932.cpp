#include "text/cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

#include <cstring>

namespace pdt::text {

std::string_view fieldText(std::string_view field) {
    const auto nul = field.find('\0');
    return nul == std::string_view::npos ? field : field.substr(0, nul);
}

#ifdef _WIN32

namespace {
std::wstring widen(UINT codePage, DWORD flags, std::string_view in) {
    if (in.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, flags, in.data(), int(in.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(codePage, flags, in.data(), int(in.size()), out.data(), n);
    return out;
}

std::string narrow(UINT codePage, std::wstring_view in, BOOL* usedDefault) {
    if (in.empty())
        return {};
    const int n = WideCharToMultiByte(codePage, 0, in.data(), int(in.size()), nullptr, 0,
                                      nullptr, usedDefault);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(codePage, 0, in.data(), int(in.size()), out.data(), n, nullptr,
                        usedDefault);
    return out;
}
} // namespace

std::optional<std::string> toCp932(std::string_view utf8) {
    if (utf8.empty())
        return std::string();
    const std::wstring wide = widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
    if (wide.empty())
        return std::nullopt;
    BOOL usedDefault = FALSE;
    std::string out = narrow(932, wide, &usedDefault);
    // Best-fit mappings would also slip through, so check the way back as well.
    if (usedDefault || widen(932, 0, out) != wide)
        return std::nullopt;
    return out;
}

std::string fromCp932(std::string_view cp932) {
    // Without MB_ERR_INVALID_CHARS the system turns bad sequences into U+FFFD itself
    // (or the code page's default character, which the round trip below replaces).
    const std::wstring wide = widen(932, 0, cp932);
    return narrow(CP_UTF8, wide, nullptr);
}

#else

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != iconv_t(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != iconv_t(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts as much as it can; returns the number of input bytes left unconverted
// because of an invalid or incomplete sequence (0 when everything went through).
size_t convertRun(iconv_t cd, const char*& in, size_t& inLeft, std::string& out) {
    char buffer[1024];
    while (inLeft > 0) {
        char* inPtr = const_cast<char*>(in);
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, size_t(outPtr - buffer));
        in = inPtr;
        if (r == size_t(-1) && errno != E2BIG)
            return inLeft;
    }
    return 0;
}

// Opening a converter costs far more than converting a comment; keep one of each per
// thread, back in its initial state for every call.
iconv_t converter(bool toCp932) {
    thread_local Converter encoder("CP932", "UTF-8");
    thread_local Converter decoder("UTF-8", "CP932");
    const Converter& c = toCp932 ? encoder : decoder;
    if (c.ok())
        iconv(c.get(), nullptr, nullptr, nullptr, nullptr);
    return c.get();
}

} // namespace

std::optional<std::string> toCp932(std::string_view utf8) {
    const iconv_t cd = converter(true);
    if (cd == iconv_t(-1))
        return std::nullopt;
    std::string out;
    const char* in = utf8.data();
    size_t inLeft = utf8.size();
    if (convertRun(cd, in, inLeft, out) != 0)
        return std::nullopt;
    return out;
}

std::string fromCp932(std::string_view cp932) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    const iconv_t cd = converter(false);
    std::string out;
    if (cd == iconv_t(-1)) {
        for (size_t i = 0; i < cp932.size(); ++i)
            out += kReplacement;
        return out;
    }
    const char* in = cp932.data();
    size_t inLeft = cp932.size();
    while (convertRun(cd, in, inLeft, out) != 0) {
        // Skip one byte of the bad sequence; its second byte may start a good one.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

#endif

} // namespace pdt::text
