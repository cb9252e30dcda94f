#include "core/Fold.h"

#include <climits>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace orvane {

namespace {

std::string foldUncached(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return std::string(utf8);

    const icu::UnicodeString input =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    icu::UnicodeString decomposed = nfkd->normalize(input, status);
    if (U_FAILURE(status)) return std::string(utf8);

    icu::UnicodeString stripped;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK) stripped.append(c);
        i += U16_LENGTH(c);
    }
    stripped.foldCase(U_FOLD_CASE_DEFAULT);
    icu::UnicodeString composed = nfc->normalize(stripped, status);
    if (U_FAILURE(status)) return std::string(utf8);
    std::string out;
    composed.toUTF8String(out);
    return out;
}

bool isValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

}  // namespace

std::string foldCase(std::string_view utf8) {
    if (utf8.size() > static_cast<std::size_t>(INT32_MAX) || !isValidUtf8(utf8)) return std::string(utf8);
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    text.foldCase(U_FOLD_CASE_DEFAULT);
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::string fold(std::string_view utf8) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::string> cache;
    std::string key(utf8);
    {
        std::lock_guard lock(mutex);
        if (auto it = cache.find(key); it != cache.end()) return it->second;
    }
    std::string folded = foldUncached(utf8);
    std::lock_guard lock(mutex);
    // Queries are short and tables finite; a runaway cache is cleared rather than grown.
    if (cache.size() > 100000) cache.clear();
    cache.emplace(std::move(key), folded);
    return folded;
}

}  // namespace orvane
