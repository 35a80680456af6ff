// The records of a parsed script: tokens of a line, expressions and statements. The parser fills
// what the text says; the binder fills the types, variable slots, maths functions and command rows.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace refhost {
struct CommandEntry;
}

namespace script {

enum class TokenKind { Integer, Float, String, Name, Operator };

struct Token {
    TokenKind kind = TokenKind::Name;
    std::string text;      // a name as written, an operator, a string's contents
    int32_t integer = 0;   // an Integer literal (hexadecimal ones wrap to 32 bits)
    float real = 0.0f;     // a Float literal
};

enum class ValueType { Integer, Float, String };

enum class Operator {
    Negate, Not,                                   // unary
    Add, Subtract, Multiply, Divide, Modulo, Power,
    Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
    And, Or, Xor,
};

struct Expression {
    enum class Kind { Integer, Float, String, Variable, Unary, Binary, Call };
    Kind kind = Kind::Integer;
    int line = 0;
    int32_t integer = 0;
    float real = 0.0f;
    std::string text;                 // a string literal; the name of a variable or of a call
    Operator op = Operator::Add;
    std::vector<Expression> operands; // Unary: one; Binary: two; Call: the arguments

    // Filled by the binder.
    ValueType type = ValueType::Integer;
    int slot = -1;                                    // Variable
    int maths = -1;                                   // Call of a maths function
    const refhost::CommandEntry* command = nullptr;   // Call of a command
};

struct Statement {
    enum class Kind { Assign, Command, If, For, Do, While, Repeat, Exit, End, HostStep };
    Kind kind = Kind::Assign;
    int line = 0;
    std::string text;                     // Assign/For: the variable; HostStep: the comment's words
    std::vector<Expression> expressions;  // Assign: value; Command: the call; If: one condition per
                                          // branch; For: first, last[, step]; While/Repeat: condition
    std::vector<std::vector<Statement>> bodies; // If: one per condition, then else's; loops: one
    int slot = -1;                        // Assign/For: the variable's slot (binder)
    ValueType type = ValueType::Integer;  // Assign/For: the variable's type (binder)
};

using Program = std::vector<Statement>;

// The type a variable's name gives it: # float, $ string, otherwise integer.
inline ValueType TypeOfName(const std::string& name)
{
    if (!name.empty() && name.back() == '#')
        return ValueType::Float;
    if (!name.empty() && name.back() == '$')
        return ValueType::String;
    return ValueType::Integer;
}

// Names, keywords and commands are not case-sensitive: every lookup compares this form.
inline std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace script
