// Tokenising and re-quoting the encoder's argument list.
#include "tools/encoder/ffmpeg_args.h"

#include <windows.h>

#include <cwchar>

#include "tools/common/passthrough.h"

namespace velkor {

namespace {

// ffmpeg's options that take no value. Every other "-name" takes exactly one, which is how a
// value that itself starts with "-" (a negative number, "-strict -2") stays a value.
const wchar_t* const kSwitches[] = {
    L"y", L"n", L"vn", L"an", L"sn", L"dn", L"shortest", L"nostdin", L"stdin", L"hide_banner",
    L"ignore_unknown", L"copy_unknown", L"stats", L"nostats", L"benchmark", L"benchmark_all",
    L"dump", L"hex", L"copyts", L"start_at_zero", L"xerror", L"debug_ts", L"intra", L"sameq",
    L"same_quant", L"deinterlace", L"psnr", L"vstats", L"qphist", L"re", L"accurate_seek",
    L"noaccurate_seek", L"copyinkf", L"copypriorss", L"find_stream_info", L"autorotate",
    L"noautorotate", L"fix_sub_duration", L"seek_timestamp", L"override_ffserver", L"isync",
    L"report", L"version", L"buildconf", L"formats", L"muxers", L"demuxers", L"devices",
    L"codecs", L"decoders", L"encoders", L"bsfs", L"protocols", L"filters", L"pix_fmts",
    L"layouts", L"sample_fmts", L"colors", L"hwaccels", L"L",
};

bool IsSwitch(const std::wstring& option)
{
    for (const wchar_t* s : kSwitches)
        if (option == s)
            return true;
    return false;
}

}  // namespace

std::wstring Token::Base() const
{
    size_t colon = option.find(L':');
    return colon == std::wstring::npos ? option : option.substr(0, colon);
}

std::wstring Token::Specifier() const
{
    size_t colon = option.find(L':');
    return colon == std::wstring::npos ? std::wstring() : option.substr(colon + 1);
}

TokenList Tokenize(const std::vector<std::wstring>& args)
{
    TokenList tokens;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        Token t;
        if (a.size() > 1 && a[0] == L'-') {
            t.option = a.substr(1);
            if (!IsSwitch(t.option) && i + 1 < args.size()) {
                t.value = args[++i];
                t.hasValue = true;
            }
        } else {
            t.value = a;
            t.hasValue = true;
        }
        tokens.push_back(t);
    }
    return tokens;
}

std::vector<std::wstring> Flatten(const TokenList& tokens)
{
    std::vector<std::wstring> args;
    for (const Token& t : tokens) {
        if (!t.IsBare())
            args.push_back(L"-" + t.option);
        if (t.hasValue)
            args.push_back(t.value);
    }
    return args;
}

Token MakeOption(const std::wstring& option, const std::wstring& value)
{
    Token t;
    t.option = option;
    t.value = value;
    t.hasValue = true;
    return t;
}

Token MakeSwitch(const std::wstring& option)
{
    Token t;
    t.option = option;
    return t;
}

size_t OutputPartBegin(const TokenList& tokens)
{
    size_t begin = 0;
    for (size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].option == L"i")
            begin = i + 1;
    return begin;
}

size_t OutputPathIndex(const TokenList& tokens)
{
    size_t found = std::wstring::npos;
    for (size_t i = OutputPartBegin(tokens); i < tokens.size(); ++i)
        if (tokens[i].IsBare())
            found = i;
    return found;
}

size_t OutputInsertPoint(const TokenList& tokens)
{
    size_t path = OutputPathIndex(tokens);
    return path == std::wstring::npos ? tokens.size() : path;
}

bool HasSwitch(const TokenList& tokens, const wchar_t* option)
{
    return Find(tokens, option) != std::wstring::npos;
}

size_t Find(const TokenList& tokens, const wchar_t* option, size_t from)
{
    for (size_t i = from; i < tokens.size(); ++i)
        if (tokens[i].option == option)
            return i;
    return std::wstring::npos;
}

bool SpecSelectsKind(const std::wstring& specifier, wchar_t kind)
{
    if (specifier.empty())
        return true;
    wchar_t c = specifier[0];
    if (c == L'V')
        c = L'v';
    return c == kind;
}

bool ParseTimeUs(const std::wstring& text, int64_t& us)
{
    std::wstring s = text;
    bool negative = !s.empty() && s[0] == L'-';
    if (negative)
        s.erase(0, 1);
    if (s.empty())
        return false;
    // Suffixed seconds: "500ms", "2s", "100us".
    int64_t scale = 1000000;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, L"ms") == 0) {
        scale = 1000;
        s.resize(s.size() - 2);
    } else if (s.size() > 2 && s.compare(s.size() - 2, 2, L"us") == 0) {
        scale = 1;
        s.resize(s.size() - 2);
    } else if (s.size() > 1 && s.back() == L's') {
        s.pop_back();
    }
    // [[HH:]MM:]SS[.fraction]
    int64_t whole = 0;
    int fields = 0;
    size_t i = 0;
    for (;;) {
        size_t start = i;
        int64_t field = 0;
        while (i < s.size() && iswdigit(s[i]))
            field = field * 10 + (s[i++] - L'0');
        if (i == start)
            return false;
        whole = whole * (fields ? 60 : 1) + field;
        ++fields;
        if (i < s.size() && s[i] == L':' && fields < 3 && scale == 1000000) {
            ++i;
            continue;
        }
        break;
    }
    int64_t fraction = 0, fractionScale = 1;
    if (i < s.size() && s[i] == L'.') {
        ++i;
        while (i < s.size() && iswdigit(s[i])) {
            if (fractionScale < 1000000) {
                fraction = fraction * 10 + (s[i] - L'0');
                fractionScale *= 10;
            }
            ++i;
        }
    }
    if (i != s.size())
        return false;
    us = whole * scale + fraction * scale / fractionScale;
    if (negative)
        us = -us;
    return true;
}

std::wstring QuoteArgument(const std::wstring& arg)
{
    return tooldetail::QuoteArgument(arg, L" \t\n\v\"");
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& args)
{
    std::wstring line;
    for (const std::wstring& a : args) {
        if (!line.empty())
            line += L' ';
        line += QuoteArgument(a);
    }
    return line;
}

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

}  // namespace velkor
