// Splits the text of an effect file into tokens, each with the line it starts on and its place in
// the text, so the reader can name lines in its messages and blank parts of the text in place.
#pragma once

#include <string>
#include <vector>

namespace refhost::effect {

enum class TokenKind {
    Identifier, // letters, digits and '_', not starting with a digit
    Number,     // 1, 0.5, .5, 1e-3, 2.0f, 0x10
    String,     // "text" (the text without its quotes, escapes kept as written)
    Symbol,     // any other single character: { } ( ) [ ] < > = ; , : - + ...
    Preprocessor, // a line starting with '#'
    End,
};

struct Token {
    TokenKind kind;
    std::string text;
    int line;         // 1-based
    size_t begin, end; // the token's characters in the source, [begin, end)

    bool Is(const char* symbolOrWord) const { return kind != TokenKind::End && text == symbolOrWord; }
};

// Tokens of `source`, ending with one End token. Comments are skipped. False, with "(line): " and
// what is wrong in `error`, for a comment or string that does not end.
bool Tokenize(const std::string& source, std::vector<Token>* tokens, std::string* error);

} // namespace refhost::effect
