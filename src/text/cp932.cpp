#include "text/cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

#include <cstring>
#include <utility>

namespace pdt::text {

std::string_view fieldText(std::string_view field) {
    const auto nul = field.find('\0');
    return nul == std::string_view::npos ? field : field.substr(0, nul);
}

#ifdef _WIN32

namespace {

constexpr UINT kCp932 = 932;

// Characters that code page 932 holds only as the bytes of another one: the JIS forms of
// signs that Microsoft's table has in full width. Linux's converter takes them one way;
// Windows only as best fit, which WC_NO_BEST_FIT_CHARS turns off along with the lossy
// ones. Each is stored as the character its bytes stand for.
constexpr std::pair<wchar_t, wchar_t> kOneWay[] = {
    {L'\u00A2', L'\uFFE0'}, {L'\u00A3', L'\uFFE1'}, {L'\u00A5', L'\u005C'},
    {L'\u00AC', L'\uFFE2'}, {L'\u2014', L'\u2015'}, {L'\u2016', L'\u2225'},
    {L'\u203E', L'\u007E'}, {L'\u2212', L'\uFF0D'}, {L'\u301C', L'\uFF5E'},
};

// Strict: nothing when the bytes are not valid in the code page.
std::optional<std::wstring> widen(UINT codePage, std::string_view in) {
    if (in.empty())
        return std::wstring();
    const int n =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), out.data(), n);
    return out;
}

std::string toUtf8(std::wstring_view in) {
    if (in.empty())
        return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, in.data(), int(in.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, in.data(), int(in.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// The code page's own reading of each character, so that a bad sequence becomes U+FFFD
// and costs only its first byte, exactly as on Linux (the system would put its default
// character there). Of the single bytes beyond ASCII only the half-width katakana are
// text; Windows also maps 0x80, 0xA0 and 0xFD-0xFF, to control and private characters.
std::wstring decode(std::string_view cp932) {
    std::wstring wide;
    wide.reserve(cp932.size());
    for (size_t i = 0; i < cp932.size();) {
        const auto b = static_cast<unsigned char>(cp932[i]);
        wchar_t c[2];
        if (b < 0x80) {
            wide += wchar_t(b);
            ++i;
        } else if (i + 1 < cp932.size() && IsDBCSLeadByteEx(kCp932, b) &&
                   MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, cp932.data() + i, 2, c, 2) ==
                       1) {
            wide += c[0];
            i += 2;
        } else if (b >= 0xA1 && b <= 0xDF &&
                   MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, cp932.data() + i, 1, c, 2) ==
                       1) {
            wide += c[0];
            ++i;
        } else {
            wide += L'\uFFFD';
            ++i;
        }
    }
    return wide;
}

} // namespace

std::optional<std::string> toCp932(std::string_view utf8) {
    auto wide = widen(CP_UTF8, utf8);
    if (!wide)
        return std::nullopt;
    if (wide->empty())
        return std::string();
    for (wchar_t& c : *wide)
        for (const auto& [from, to] : kOneWay)
            if (c == from)
                c = to;
    // No best fit: a character the code page lacks is refused, never stored as a lookalike.
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), int(wide->size()),
                                      nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), int(wide->size()), out.data(),
                        n, nullptr, &usedDefault);
    // What is stored must read back as it was written.
    if (usedDefault || decode(out) != *wide)
        return std::nullopt;
    return out;
}

std::string fromCp932(std::string_view cp932) {
    return toUtf8(decode(cp932));
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
    // The converter drops the language tags U+E0000..U+E007F without a word; they cannot
    // be stored either.
    if (utf8.find("\xF3\xA0\x80") != std::string_view::npos ||
        utf8.find("\xF3\xA0\x81") != std::string_view::npos)
        return std::nullopt;
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
