// The encoder's argument list as options and values, as ffmpeg reads it: tokenising, the queries
// the translations need, and writing it back as one Windows command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkor {

// One option with its value ("-codec:v" "libx264" is option "codec:v", value "libx264"), a lone
// switch ("-y": no value), or a bare argument (an output path: empty option, the path as value).
struct Token {
    std::wstring option;
    std::wstring value;
    bool hasValue = false;

    bool IsBare() const { return option.empty(); }
    std::wstring Base() const;  // "codec" of "codec:v"
    std::wstring Specifier() const;  // "v" of "codec:v", empty without a stream specifier
};

using TokenList = std::vector<Token>;

TokenList Tokenize(const std::vector<std::wstring>& args);
std::vector<std::wstring> Flatten(const TokenList& tokens);

Token MakeOption(const std::wstring& option, const std::wstring& value);
Token MakeSwitch(const std::wstring& option);

// The position just after the last "-i" pair (0 when there is no input): options before it
// belong to the inputs, options after it to the output.
size_t OutputPartBegin(const TokenList& tokens);
// The output path: the last bare argument after the inputs; npos when there is none.
size_t OutputPathIndex(const TokenList& tokens);
// Where output options added by the tool go: before the output path, else at the end.
size_t OutputInsertPoint(const TokenList& tokens);

bool HasSwitch(const TokenList& tokens, const wchar_t* option);
// The index of the first token with this exact option at or after "from"; npos when absent.
size_t Find(const TokenList& tokens, const wchar_t* option, size_t from = 0);

// Whether a stream specifier ("v", "a:0", empty) selects streams of this kind ('v', 'a', 's').
bool SpecSelectsKind(const std::wstring& specifier, wchar_t kind);

// A time in ffmpeg's duration syntax ("0:01:05.250", "65.25", "500ms") in microseconds;
// false when the text is not one.
bool ParseTimeUs(const std::wstring& text, int64_t& us);

// One argument quoted for CommandLineToArgvW and the C runtime, and a whole list joined.
std::wstring QuoteArgument(const std::wstring& arg);
std::wstring JoinCommandLine(const std::vector<std::wstring>& args);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

}  // namespace velkor
