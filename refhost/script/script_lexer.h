// Splits one script line into tokens. A backtick ends the line's code (the rest is a comment).
#pragma once

#include <string>
#include <vector>

#include "script_syntax.h"

namespace script {

// The tokens of `line`; false with `error` set when a character or literal cannot be read.
bool TokenizeLine(const std::string& line, std::vector<Token>& tokens, std::string& error);

} // namespace script
