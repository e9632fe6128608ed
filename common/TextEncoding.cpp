// SPDX-License-Identifier: MIT
#include "TextEncoding.h"

#include <cstdint>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>
#else
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <optional>
#endif

namespace orbelle {

namespace {

// Bytes a UTF-8 sequence starting with lead claims (1 for a byte that cannot
// start one), so a converter can step over a character it cannot take.
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(lead);
        if (length == 1 || i + length > bytes.size())
            return false;
        // The second byte's range rules out overlong forms, surrogates and
        // code points above U+10FFFF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
        else if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80 || next > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

#ifdef _WIN32

namespace {

// Converts a whole text, or fails on any byte that is invalid in the code
// page (MB_ERR_INVALID_CHARS).
bool toWideStrict(UINT codePage, std::string_view bytes, std::wstring &wide)
{
    wide.clear();
    if (bytes.empty())
        return true;
    const int size = static_cast<int>(bytes.size());
    const int wideSize = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (wideSize <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(wideSize));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), wideSize)
        == wideSize;
}

std::string toUtf8(const std::wstring &wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int byteSize = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (byteSize <= 0)
        return {};
    std::string bytes(static_cast<std::size_t>(byteSize), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, bytes.data(), byteSize, nullptr, nullptr);
    return bytes;
}

// Wide text in a code page other than UTF-8, taking no look-alike for a
// character the code page lacks; false when some character was lost.
bool fromWideExact(UINT codePage, const std::wstring &wide, std::string &bytes)
{
    bytes.clear();
    if (wide.empty())
        return true;
    const int size = static_cast<int>(wide.size());
    BOOL lost = FALSE;
    const int byteSize = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                             "?", &lost);
    if (byteSize <= 0)
        return false;
    bytes.resize(static_cast<std::size_t>(byteSize));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), byteSize, "?", &lost);
    return !lost;
}

bool isCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

struct Cp932Reading {
    std::string utf8;
    bool clean = true;       // every byte was part of a valid character
    // Some character took two bytes, or two one-byte katakana stood side by
    // side: what a Japanese text shows and a text in 1252 hardly ever does.
    bool japanese = false;
};

// Code page 932 read character by character, so that a byte that is no
// character becomes one '?' and costs only itself, as on other systems.
// 0x80 counts as no character, though the system's table passes it through.
Cp932Reading readCp932(std::string_view bytes)
{
    Cp932Reading reading;
    std::wstring wide;
    bool afterKana = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool kana = c >= 0xA1 && c <= 0xDF;
        if (c < 0x80) {
            reading.utf8 += static_cast<char>(c);
            afterKana = false;
            ++i;
            continue;
        }
        const std::size_t length = isCp932LeadByte(c) ? 2 : 1;
        if (c != 0x80 && i + length <= bytes.size() && toWideStrict(932, bytes.substr(i, length), wide)) {
            reading.utf8 += toUtf8(wide);
            reading.japanese = reading.japanese || length == 2 || (kana && afterKana);
            afterKana = kana;
            i += length;
        } else {
            afterKana = false;
            reading.utf8 += '?';
            reading.clean = false;
            ++i;
        }
    }
    return reading;
}

// UTF-8 text in a code page other than UTF-8, character by character: a
// character the code page lacks, or a broken sequence's first byte, becomes
// one '?'. False when anything was lost.
bool writeCodePage(UINT codePage, std::string_view utf8, std::string &bytes)
{
    bytes.clear();
    bool exact = true;
    std::wstring wide;
    std::string encoded;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            bytes += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(c);
        if (length > 1 && i + length <= utf8.size() && isValidUtf8(utf8.substr(i, length))
            && toWideStrict(CP_UTF8, utf8.substr(i, length), wide) && fromWideExact(codePage, wide, encoded)) {
            bytes += encoded;
            i += length;
            continue;
        }
        bytes += '?';
        exact = false;
        i += length > 1 && i + length <= utf8.size() && isValidUtf8(utf8.substr(i, length)) ? length : 1;
    }
    return exact;
}

// A code page of one byte a character (1252 and the like), where nearly
// every byte is some character and so tells nothing about the file.
bool systemCodePageIsSingleByte()
{
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
}

} // namespace

std::string decodeFileText(std::string_view bytes)
{
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8)
        return isValidUtf8(bytes) ? std::string(bytes) : cp932ToUtf8(bytes);
    if (codePage == 932)
        return cp932ToUtf8(bytes);
    // A Japanese file on a system of one byte a character: its bytes are
    // valid there too, but only read right as code page 932.
    Cp932Reading japanese = readCp932(bytes);
    if (japanese.clean && japanese.japanese && systemCodePageIsSingleByte())
        return std::move(japanese.utf8);
    std::wstring wide;
    if (toWideStrict(codePage, bytes, wide))
        return toUtf8(wide);
    return std::move(japanese.utf8);
}

std::string encodeFileText(std::string_view utf8)
{
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8)
        return std::string(utf8);
    std::string bytes;
    if (writeCodePage(codePage, utf8, bytes) || codePage == 932 || !systemCodePageIsSingleByte())
        return bytes;
    // Text the system's code page cannot hold goes out as code page 932
    // when it then reads back the same, so Japanese paths and memos survive.
    std::string japanese;
    if (writeCodePage(932, utf8, japanese) && decodeFileText(japanese) == utf8)
        return japanese;
    return bytes;
}

std::string cp932ToUtf8(std::string_view bytes)
{
    return readCp932(bytes).utf8;
}

std::string utf8ToCp932(std::string_view utf8)
{
    std::string bytes;
    writeCodePage(932, utf8, bytes);
    return bytes;
}

#else

namespace {

enum class OnBadInput { Fail, Replace };

// Converts with iconv. Input that is invalid in the source code set, or has
// no form in the target, fails the whole conversion or becomes one '?' each.
// Nothing when the converter is missing.
std::optional<std::string> convert(const char *to, const char *from, std::string_view input,
                                   OnBadInput onBadInput)
{
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    const bool utf8Source = std::string_view(from) == "UTF-8";

    std::string output;
    output.reserve(input.size() + input.size() / 2);
    // iconv's prototype takes a non-const input pointer but never writes.
    char *in = const_cast<char *>(input.data());
    std::size_t inLeft = input.size();
    char chunk[4096];
    bool failed = false;
    while (inLeft > 0) {
        char *out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(chunk, static_cast<std::size_t>(out - chunk));
        if (result != static_cast<std::size_t>(-1) || error == E2BIG)
            continue;
        if ((error == EILSEQ || error == EINVAL) && onBadInput == OnBadInput::Replace) {
            output += '?';
            // A whole character that has no form in the target goes at once;
            // a broken sequence only loses its first byte.
            std::size_t skip = 1;
            if (utf8Source) {
                const std::size_t length = utf8SequenceLength(static_cast<unsigned char>(*in));
                if (length <= inLeft && isValidUtf8(std::string_view(in, length)))
                    skip = length;
            }
            in += skip;
            inLeft -= skip;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        failed = true;
        break;
    }
    // A stateful target code set may still owe the bytes that return it to
    // its initial shift state.
    while (!failed) {
        char *out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t result = iconv(converter, nullptr, nullptr, &out, &outLeft);
        const int error = errno;
        output.append(chunk, static_cast<std::size_t>(out - chunk));
        if (result != static_cast<std::size_t>(-1))
            break;
        if (error != E2BIG)
            failed = true;
    }
    iconv_close(converter);
    if (failed)
        return std::nullopt;
    return output;
}

// Without a converter for code page 932 the non-ASCII bytes cannot be read
// at all; each one becomes '?', as an unreadable character would.
std::string asciiOnly(std::string_view bytes, bool utf8Source)
{
    std::string text;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            text += static_cast<char>(c);
            ++i;
        } else {
            text += '?';
            i += utf8Source ? utf8SequenceLength(c) : 1;
        }
    }
    return text;
}

std::string normalisedCodeSet(const std::string &codeSet)
{
    std::string name;
    for (char c : codeSet) {
        if (c == '-' || c == '_' || c == '.')
            continue;
        name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return name;
}

// ASCII is a subset of UTF-8, and a program left in the "C" locale is
// usually on a UTF-8 system that simply never set its locale.
bool isUtf8CodeSet(const std::string &codeSet)
{
    const std::string name = normalisedCodeSet(codeSet);
    return name.empty() || name == "UTF8" || name == "ASCII" || name == "USASCII"
        || name == "ANSIX341968" || name == "ANSIX341986" || name == "646";
}

} // namespace

std::string systemCodeSet()
{
    const char *codeSet = nl_langinfo(CODESET);
    return codeSet ? std::string(codeSet) : std::string();
}

std::string decodeFileText(std::string_view bytes, const std::string &codeSet)
{
    if (isUtf8CodeSet(codeSet))
        return isValidUtf8(bytes) ? std::string(bytes) : cp932ToUtf8(bytes);
    if (auto text = convert("UTF-8", codeSet.c_str(), bytes, OnBadInput::Fail))
        return *text;
    return cp932ToUtf8(bytes);
}

std::string encodeFileText(std::string_view utf8, const std::string &codeSet)
{
    if (isUtf8CodeSet(codeSet))
        return std::string(utf8);
    if (auto bytes = convert(codeSet.c_str(), "UTF-8", utf8, OnBadInput::Replace))
        return *bytes;
    return std::string(utf8);
}

std::string decodeFileText(std::string_view bytes) { return decodeFileText(bytes, systemCodeSet()); }

std::string encodeFileText(std::string_view utf8) { return encodeFileText(utf8, systemCodeSet()); }

std::string cp932ToUtf8(std::string_view bytes)
{
    if (auto text = convert("UTF-8", "CP932", bytes, OnBadInput::Replace))
        return *text;
    return asciiOnly(bytes, false);
}

std::string utf8ToCp932(std::string_view utf8)
{
    if (auto bytes = convert("CP932", "UTF-8", utf8, OnBadInput::Replace))
        return *bytes;
    return asciiOnly(utf8, true);
}

#endif

std::filesystem::path pathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace orbelle
