#include "script_lexer.h"

#include <cctype>
#include <cstdlib>

namespace script {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// A whole number written in `digits` of `base`, wrapped to 32 bits as the engine's integers are
// (0xFF283848 is a colour, not an overflow); false when it does not fit in 32 bits at all.
bool WholeNumber(const std::string& digits, int base, int32_t& value)
{
    if (digits.empty() || digits.size() > 32)
        return false;
    char* end = nullptr;
    unsigned long long n = std::strtoull(digits.c_str(), &end, base);
    if (*end != '\0' || n > 0xFFFFFFFFull)
        return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(n));
    return true;
}

} // namespace

bool TokenizeLine(const std::string& line, std::vector<Token>& tokens, std::string& error)
{
    tokens.clear();
    size_t at = 0;
    while (at < line.size()) {
        const char c = line[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++at;
        } else if (c == '`') {
            break;
        } else if (c == '"') {
            const size_t close = line.find('"', at + 1);
            if (close == std::string::npos) {
                error = "a string is not closed";
                return false;
            }
            tokens.push_back({TokenKind::String, line.substr(at + 1, close - at - 1)});
            at = close + 1;
        } else if (c == '0' && at + 1 < line.size() && (line[at + 1] == 'x' || line[at + 1] == 'X')) {
            size_t end = at + 2;
            while (end < line.size() && std::isxdigit(static_cast<unsigned char>(line[end])))
                ++end;
            Token token{TokenKind::Integer, line.substr(at, end - at)};
            if (!WholeNumber(line.substr(at + 2, end - at - 2), 16, token.integer)) {
                error = "the hexadecimal number " + token.text + " does not fit in 32 bits";
                return false;
            }
            tokens.push_back(token);
            at = end;
        } else if (c == '%' && at + 1 < line.size() && (line[at + 1] == '0' || line[at + 1] == '1')) {
            size_t end = at + 1;
            while (end < line.size() && (line[end] == '0' || line[end] == '1'))
                ++end;
            Token token{TokenKind::Integer, line.substr(at, end - at)};
            if (!WholeNumber(line.substr(at + 1, end - at - 1), 2, token.integer)) {
                error = "the binary number " + token.text + " does not fit in 32 bits";
                return false;
            }
            tokens.push_back(token);
            at = end;
        } else if (IsDigit(c) || (c == '.' && at + 1 < line.size() && IsDigit(line[at + 1]))) {
            size_t end = at;
            bool real = false;
            while (end < line.size() && IsDigit(line[end]))
                ++end;
            if (end < line.size() && line[end] == '.') {
                real = true;
                ++end;
                while (end < line.size() && IsDigit(line[end]))
                    ++end;
            }
            if (end < line.size() && (line[end] == 'e' || line[end] == 'E')) {
                size_t exponent = end + 1;
                if (exponent < line.size() && (line[exponent] == '+' || line[exponent] == '-'))
                    ++exponent;
                if (exponent < line.size() && IsDigit(line[exponent])) {
                    real = true;
                    end = exponent;
                    while (end < line.size() && IsDigit(line[end]))
                        ++end;
                }
            }
            Token token{real ? TokenKind::Float : TokenKind::Integer, line.substr(at, end - at)};
            if (real) {
                token.real = std::strtof(token.text.c_str(), nullptr);
            } else if (!WholeNumber(token.text, 10, token.integer)) {
                error = "the number " + token.text + " does not fit in 32 bits";
                return false;
            }
            tokens.push_back(token);
            at = end;
        } else if (IsNameStart(c)) {
            size_t end = at + 1;
            while (end < line.size() && IsNameChar(line[end]))
                ++end;
            if (end < line.size() && (line[end] == '#' || line[end] == '$'))
                ++end;
            tokens.push_back({TokenKind::Name, line.substr(at, end - at)});
            at = end;
        } else {
            const std::string two = line.substr(at, 2);
            if (two == "<>" || two == "<=" || two == ">=") {
                tokens.push_back({TokenKind::Operator, two});
                at += 2;
            } else if (std::string("=<>+-*/^(),").find(c) != std::string::npos) {
                tokens.push_back({TokenKind::Operator, std::string(1, c)});
                ++at;
            } else {
                error = std::string("unexpected character '") + c + "'";
                return false;
            }
        }
    }
    return true;
}

} // namespace script
