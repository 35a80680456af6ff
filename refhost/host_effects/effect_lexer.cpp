#include "effect_lexer.h"

#include <cctype>

namespace refhost::effect {

namespace {

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The end of a number starting at `i`: digits, one point, an exponent, a float suffix, or hex.
size_t NumberEnd(const std::string& s, size_t i)
{
    if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
        i += 2;
        while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
        return i;
    }
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            i = j;
            while (i < s.size() && IsDigit(s[i])) ++i;
        }
    }
    if (i < s.size() && (s[i] == 'f' || s[i] == 'F' || s[i] == 'h' || s[i] == 'H')) ++i;
    return i;
}

} // namespace

bool Tokenize(const std::string& s, std::vector<Token>* tokens, std::string* error)
{
    tokens->clear();
    int line = 1;
    bool lineStart = true; // only blanks so far on this line
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (s.compare(i, 2, "//") == 0) {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        if (s.compare(i, 2, "/*") == 0) {
            const int startLine = line;
            size_t close = s.find("*/", i + 2);
            if (close == std::string::npos) {
                *error = "(" + std::to_string(startLine) + "): a comment that does not end";
                return false;
            }
            for (size_t k = i; k < close; ++k) line += s[k] == '\n';
            i = close + 2;
            continue;
        }
        Token t{TokenKind::Symbol, {}, line, i, i + 1};
        if (c == '#' && lineStart) {
            t.kind = TokenKind::Preprocessor;
            t.end = s.find('\n', i);
            if (t.end == std::string::npos) t.end = s.size();
        } else if (IsWordStart(c)) {
            t.kind = TokenKind::Identifier;
            while (t.end < s.size() && IsWordChar(s[t.end])) ++t.end;
        } else if (IsDigit(c) || (c == '.' && i + 1 < s.size() && IsDigit(s[i + 1]))) {
            t.kind = TokenKind::Number;
            t.end = NumberEnd(s, i);
        } else if (c == '"') {
            t.kind = TokenKind::String;
            size_t k = i + 1;
            while (k < s.size() && s[k] != '"' && s[k] != '\n') k += s[k] == '\\' ? 2 : 1;
            if (k >= s.size() || s[k] != '"') {
                *error = "(" + std::to_string(line) + "): a string that does not end on its line";
                return false;
            }
            t.end = k + 1;
        }
        t.text = t.kind == TokenKind::String ? s.substr(t.begin + 1, t.end - t.begin - 2) : s.substr(t.begin, t.end - t.begin);
        tokens->push_back(std::move(t));
        lineStart = false;
        i = tokens->back().end;
    }
    tokens->push_back({TokenKind::End, {}, line, s.size(), s.size()});
    return true;
}

} // namespace refhost::effect
