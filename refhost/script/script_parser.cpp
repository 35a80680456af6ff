#include "script_parser.h"

#include <algorithm>

#include "script_lexer.h"

namespace script {

namespace {

const std::set<std::string> kKeywords = {"if", "then", "else", "elseif", "endif", "for", "to", "step", "next",
                                         "do", "loop", "while", "endwhile", "repeat", "until", "exit", "end",
                                         "and", "or", "xor", "not", "mod", "rem"};

struct Line {
    int number = 0;
    std::vector<Token> tokens;
    bool hostStep = false;
    std::string comment; // a host step's words
};

// "rem" as the line's first word: the rest is not read at all.
bool IsRemark(const std::string& text, size_t start)
{
    return Lower(text.substr(start, 3)) == "rem" &&
           (start + 3 == text.size() || text[start + 3] == ' ' || text[start + 3] == '\t');
}

// Whether `word` (lower case) is the first word of a command name of two words.
bool StartsASpacedName(const std::string& word, const std::set<std::string>& spacedNames)
{
    return std::any_of(spacedNames.begin(), spacedNames.end(),
                       [&](const std::string& name) { return name.starts_with(word + " "); });
}

struct ParseFailure {
    std::string message;
};

class Parser {
public:
    Parser(std::vector<Line> lines) : lines_(std::move(lines)) {}

    Program All()
    {
        Program program;
        const Line* stop = Body(program, {});
        if (stop)
            Fail(*stop, "'" + stop->tokens[0].text + "' has no block open to close");
        return program;
    }

private:
    [[noreturn]] void Fail(int line, const std::string& message)
    {
        throw ParseFailure{"line " + std::to_string(line) + ": " + message};
    }
    [[noreturn]] void Fail(const Line& line, const std::string& message) { Fail(line.number, message); }

    static bool IsWord(const Token& token, const char* word)
    {
        return token.kind == TokenKind::Name && Lower(token.text) == word;
    }
    static bool Starts(const Line& line, const std::vector<std::string>& words)
    {
        if (line.hostStep || line.tokens.empty() || line.tokens[0].kind != TokenKind::Name)
            return false;
        return std::find(words.begin(), words.end(), Lower(line.tokens[0].text)) != words.end();
    }

    // Statements until a line starting with one of `closers` (returned, consumed) or the end (null).
    const Line* Body(std::vector<Statement>& body, const std::vector<std::string>& closers)
    {
        static const std::vector<std::string> kAllClosers = {"next", "loop", "endwhile", "until", "else", "elseif", "endif"};
        while (next_ < lines_.size()) {
            const Line& line = lines_[next_++];
            if (Starts(line, closers))
                return &line;
            if (Starts(line, kAllClosers))
                Fail(line, "'" + line.tokens[0].text + "' has no block open to close here");
            body.push_back(LineStatement(line));
        }
        return nullptr;
    }

    Statement LineStatement(const Line& line)
    {
        Statement s;
        s.line = line.number;
        if (line.hostStep) {
            s.kind = Statement::Kind::HostStep;
            s.text = line.comment;
            return s;
        }
        const std::vector<Token>& t = line.tokens;
        const std::string word = t[0].kind == TokenKind::Name ? Lower(t[0].text) : "";
        if (word == "if")
            return If(line);
        if (word == "for")
            return For(line);
        if (word == "do" || word == "repeat" || word == "while") {
            s.kind = word == "do" ? Statement::Kind::Do : word == "repeat" ? Statement::Kind::Repeat : Statement::Kind::While;
            if (word == "while")
                s.expressions.push_back(WholeExpression(line, 1, t.size()));
            else if (t.size() > 1)
                Fail(line, "nothing may follow '" + t[0].text + "' on its line");
            const char* closer = word == "do" ? "loop" : word == "repeat" ? "until" : "endwhile";
            s.bodies.emplace_back();
            ++loops_;
            const Line* end = Body(s.bodies.back(), {closer});
            --loops_;
            if (!end)
                Fail(line, "'" + t[0].text + "' has no '" + closer + "'");
            if (word == "repeat")
                s.expressions.push_back(WholeExpression(*end, 1, end->tokens.size()));
            else if (end->tokens.size() > 1)
                Fail(*end, "nothing may follow '" + end->tokens[0].text + "' on its line");
            return s;
        }
        return Simple(line, 0, t.size());
    }

    // A statement that needs no other line, from tokens [from, to).
    Statement Simple(const Line& line, size_t from, size_t to)
    {
        const std::vector<Token>& t = line.tokens;
        Statement s;
        s.line = line.number;
        if (from >= to)
            Fail(line, "a statement is missing");
        const Token& first = t[from];
        if (first.kind != TokenKind::Name)
            Fail(line, "a statement cannot start with '" + first.text + "'");
        const std::string word = Lower(first.text);
        if (word == "exit" || word == "end") {
            if (to - from > 1)
                Fail(line, "nothing may follow '" + first.text + "' on its line");
            if (word == "exit" && loops_ == 0)
                Fail(line, "'exit' outside a loop");
            s.kind = word == "exit" ? Statement::Kind::Exit : Statement::Kind::End;
            return s;
        }
        if (kKeywords.count(word))
            Fail(line, "'" + first.text + "' cannot be used here");
        if (from + 1 < to && t[from + 1].kind == TokenKind::Operator && t[from + 1].text == "=") {
            s.kind = Statement::Kind::Assign;
            s.text = first.text;
            s.expressions.push_back(WholeExpression(line, from + 2, to));
            return s;
        }
        // A command: its name, then its values separated by commas, without parentheses.
        s.kind = Statement::Kind::Command;
        Expression call;
        call.kind = Expression::Kind::Call;
        call.line = line.number;
        call.text = first.text;
        size_t at = from + 1;
        if (WrappedList(t, at, to))
            Fail(line, first.text + " as a statement takes its values without parentheses: " + first.text + " a, b");
        if (to - at == 2 && t[at].text == "(" && t[at + 1].text == ")")
            Fail(line, first.text + "() is a value, not a statement: x = " + first.text + "() (a command without a "
                       "result is written without parentheses)");
        if (at < to) {
            Use(line, to);
            call.operands = Arguments(at);
            if (at != to)
                Fail(line, "unexpected '" + t[at].text + "' after the values of " + first.text);
        }
        s.expressions.push_back(std::move(call));
        return s;
    }

    Statement If(const Line& line)
    {
        const std::vector<Token>& t = line.tokens;
        Statement s;
        s.kind = Statement::Kind::If;
        s.line = line.number;
        const size_t then = FindWord(t, 1, t.size(), "then");
        if (then != t.size() && then + 1 < t.size()) {
            // One line: if condition then statement [else statement]
            s.expressions.push_back(WholeExpression(line, 1, then));
            const size_t otherwise = FindWord(t, then + 1, t.size(), "else");
            s.bodies.push_back({Simple(line, then + 1, otherwise)});
            if (otherwise != t.size())
                s.bodies.push_back({Simple(line, otherwise + 1, t.size())});
            return s;
        }
        s.expressions.push_back(WholeExpression(line, 1, then));
        while (true) {
            s.bodies.emplace_back();
            const Line* end = Body(s.bodies.back(), {"elseif", "else", "endif"});
            if (!end)
                Fail(line, "'if' has no 'endif'");
            const std::string word = Lower(end->tokens[0].text);
            if (word == "endif") {
                if (end->tokens.size() > 1)
                    Fail(*end, "nothing may follow 'endif' on its line");
                return s;
            }
            if (word == "elseif") {
                const size_t elseThen = FindWord(end->tokens, 1, end->tokens.size(), "then");
                if (elseThen != end->tokens.size() && elseThen + 1 != end->tokens.size())
                    Fail(*end, "nothing may follow 'then' of an 'elseif'");
                s.expressions.push_back(WholeExpression(*end, 1, elseThen));
                continue;
            }
            if (end->tokens.size() > 1)
                Fail(*end, "nothing may follow 'else' on its line (use 'elseif' for another condition)");
            s.bodies.emplace_back();
            const Line* close = Body(s.bodies.back(), {"endif"});
            if (!close)
                Fail(line, "'if' has no 'endif'");
            if (close->tokens.size() > 1)
                Fail(*close, "nothing may follow 'endif' on its line");
            return s;
        }
    }

    Statement For(const Line& line)
    {
        const std::vector<Token>& t = line.tokens;
        Statement s;
        s.kind = Statement::Kind::For;
        s.line = line.number;
        const size_t to = FindWord(t, 1, t.size(), "to");
        if (t.size() < 4 || t[1].kind != TokenKind::Name || kKeywords.count(Lower(t[1].text)) || t[2].text != "=" ||
            to == t.size())
            Fail(line, "a for line reads: for variable = first to last [step size]");
        s.text = t[1].text;
        const size_t step = FindWord(t, to + 1, t.size(), "step");
        s.expressions.push_back(WholeExpression(line, 3, to));
        s.expressions.push_back(WholeExpression(line, to + 1, step));
        if (step != t.size())
            s.expressions.push_back(WholeExpression(line, step + 1, t.size()));
        s.bodies.emplace_back();
        ++loops_;
        const Line* end = Body(s.bodies.back(), {"next"});
        --loops_;
        if (!end)
            Fail(line, "'for " + s.text + "' has no 'next'");
        const std::vector<Token>& n = end->tokens;
        if (n.size() > 2 || (n.size() == 2 && Lower(n[1].text) != Lower(s.text)))
            Fail(*end, "'next' does not match 'for " + s.text + "' of line " + std::to_string(line.number));
        return s;
    }

    // Whether [from, to) is "(a, b, ...)": a list of several values in one pair of parentheses.
    static bool WrappedList(const std::vector<Token>& t, size_t from, size_t to)
    {
        if (from >= to || t[from].text != "(" || t[to - 1].text != ")")
            return false;
        int depth = 0;
        bool comma = false;
        for (size_t i = from; i < to; ++i) {
            if (t[i].kind != TokenKind::Operator)
                continue;
            depth += t[i].text == "(" ? 1 : t[i].text == ")" ? -1 : 0;
            if (depth == 0 && i + 1 < to)
                return false; // the first parenthesis closes before the end: (a) + b
            comma = comma || (depth == 1 && t[i].text == ",");
        }
        return comma;
    }

    // The first `word` in [from, to) outside parentheses, or `to`.
    static size_t FindWord(const std::vector<Token>& t, size_t from, size_t to, const char* word)
    {
        int depth = 0;
        for (size_t i = from; i < to; ++i) {
            if (t[i].kind == TokenKind::Operator)
                depth += t[i].text == "(" ? 1 : t[i].text == ")" ? -1 : 0;
            else if (depth == 0 && IsWord(t[i], word))
                return i;
        }
        return to;
    }

    // ---- expressions over the tokens of one line ----

    // Expressions read the tokens of `line` up to `to`.
    void Use(const Line& line, size_t to)
    {
        tokens_ = &line.tokens;
        end_ = to;
        line_ = line.number;
    }

    Expression WholeExpression(const Line& line, size_t from, size_t to)
    {
        if (from >= to)
            Fail(line, "a value is missing");
        Use(line, to);
        size_t at = from;
        Expression e = Or(at);
        if (at != to)
            Fail(line, "unexpected '" + line.tokens[at].text + "'");
        return e;
    }

    std::vector<Expression> Arguments(size_t& at)
    {
        std::vector<Expression> values;
        while (true) {
            if (at >= end_ || Peek(at, ","))
                Fail(line_, "a value is missing between commas");
            values.push_back(Or(at));
            if (!Peek(at, ","))
                return values;
            ++at;
        }
    }

    bool Peek(size_t at, const char* op) const
    {
        return at < end_ && (*tokens_)[at].kind == TokenKind::Operator && (*tokens_)[at].text == op;
    }
    bool PeekWord(size_t at, const char* word) const { return at < end_ && IsWord((*tokens_)[at], word); }

    Expression Binary(Operator op, Expression left, Expression right)
    {
        Expression e;
        e.kind = Expression::Kind::Binary;
        e.line = line_;
        e.op = op;
        e.operands.push_back(std::move(left));
        e.operands.push_back(std::move(right));
        return e;
    }
    Expression Unary(Operator op, Expression operand)
    {
        Expression e;
        e.kind = Expression::Kind::Unary;
        e.line = line_;
        e.op = op;
        e.operands.push_back(std::move(operand));
        return e;
    }

    Expression Or(size_t& at)
    {
        Expression left = And(at);
        while (PeekWord(at, "or") || PeekWord(at, "xor")) {
            const Operator op = PeekWord(at, "or") ? Operator::Or : Operator::Xor;
            left = Binary(op, std::move(left), And(++at));
        }
        return left;
    }
    Expression And(size_t& at)
    {
        Expression left = Not(at);
        while (PeekWord(at, "and"))
            left = Binary(Operator::And, std::move(left), Not(++at));
        return left;
    }
    Expression Not(size_t& at)
    {
        if (PeekWord(at, "not"))
            return Unary(Operator::Not, Not(++at));
        return Comparison(at);
    }
    Expression Comparison(size_t& at)
    {
        static const std::pair<const char*, Operator> kComparisons[] = {
            {"=", Operator::Equal}, {"<>", Operator::NotEqual}, {"<", Operator::Less},
            {"<=", Operator::LessEqual}, {">", Operator::Greater}, {">=", Operator::GreaterEqual}};
        Expression left = Sum(at);
        for (bool found = true; found;) {
            found = false;
            for (const auto& [text, op] : kComparisons)
                if (Peek(at, text)) {
                    left = Binary(op, std::move(left), Sum(++at));
                    found = true;
                    break;
                }
        }
        return left;
    }
    Expression Sum(size_t& at)
    {
        Expression left = Product(at);
        while (Peek(at, "+") || Peek(at, "-")) {
            const Operator op = Peek(at, "+") ? Operator::Add : Operator::Subtract;
            left = Binary(op, std::move(left), Product(++at));
        }
        return left;
    }
    Expression Product(size_t& at)
    {
        Expression left = Sign(at);
        while (Peek(at, "*") || Peek(at, "/") || PeekWord(at, "mod")) {
            const Operator op = Peek(at, "*") ? Operator::Multiply : Peek(at, "/") ? Operator::Divide : Operator::Modulo;
            left = Binary(op, std::move(left), Sign(++at));
        }
        return left;
    }
    Expression Sign(size_t& at)
    {
        if (Peek(at, "-"))
            return Unary(Operator::Negate, Sign(++at));
        if (Peek(at, "+"))
            return Sign(++at);
        return Power(at);
    }
    Expression Power(size_t& at)
    {
        Expression left = Primary(at);
        while (Peek(at, "^"))
            left = Binary(Operator::Power, std::move(left), Primary(++at));
        return left;
    }
    Expression Primary(size_t& at)
    {
        if (at >= end_)
            Fail(line_, "a value is missing at the end of the line");
        const Token& t = (*tokens_)[at];
        Expression e;
        e.line = line_;
        switch (t.kind) {
        case TokenKind::Integer:
            e.kind = Expression::Kind::Integer;
            e.integer = t.integer;
            ++at;
            return e;
        case TokenKind::Float:
            e.kind = Expression::Kind::Float;
            e.real = t.real;
            ++at;
            return e;
        case TokenKind::String:
            e.kind = Expression::Kind::String;
            e.text = t.text;
            ++at;
            return e;
        case TokenKind::Operator:
            if (t.text != "(")
                Fail(line_, "unexpected '" + t.text + "'");
            e = Or(++at);
            if (!Peek(at, ")"))
                Fail(line_, "a parenthesis is not closed");
            ++at;
            return e;
        case TokenKind::Name:
            break;
        }
        if (kKeywords.count(Lower(t.text)))
            Fail(line_, "unexpected '" + t.text + "'");
        e.text = t.text;
        ++at;
        if (!Peek(at, "(")) {
            e.kind = Expression::Kind::Variable;
            return e;
        }
        e.kind = Expression::Kind::Call;
        ++at;
        if (!Peek(at, ")"))
            e.operands = Arguments(at);
        if (!Peek(at, ")"))
            Fail(line_, "the values of " + e.text + " are not closed by ')'");
        ++at;
        return e;
    }

    std::vector<Line> lines_;
    size_t next_ = 0;
    int loops_ = 0;
    const std::vector<Token>* tokens_ = nullptr;
    size_t end_ = 0;
    int line_ = 0;
};

} // namespace

bool ParseScript(const std::vector<std::string>& lines, int firstLine, const std::set<std::string>& spacedNames,
                 Program& program, std::string& error)
{
    std::vector<Line> parsed;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int number = firstLine + static_cast<int>(i);
        const std::string& text = lines[i];
        const size_t start = text.find_first_not_of(" \t\r");
        if (start == std::string::npos)
            continue;
        if (text[start] == '`') {
            const size_t words = text.find_first_not_of(" \t", start + 1);
            const size_t end = text.find_last_not_of(" \t\r");
            parsed.push_back({number, {}, true, words == std::string::npos ? "" : text.substr(words, end + 1 - words)});
            continue;
        }
        if (IsRemark(text, start))
            continue;
        Line line{number};
        std::string message;
        if (!TokenizeLine(text, line.tokens, message)) {
            error = "line " + std::to_string(number) + ": " + message;
            return false;
        }
        if (line.tokens.empty())
            continue;
        // "Poke" "Vec4" is the one command name "Poke Vec4"; "Poke" "Vec5" is a name of that kind
        // the table has not, refused here with both its words.
        for (size_t t = 0; t + 1 < line.tokens.size(); ++t) {
            Token& word = line.tokens[t];
            const Token& second = line.tokens[t + 1];
            if (word.kind != TokenKind::Name || second.kind != TokenKind::Name || kKeywords.count(Lower(second.text)))
                continue;
            const std::string both = word.text + " " + second.text;
            if (!spacedNames.count(Lower(both))) {
                if (StartsASpacedName(Lower(word.text), spacedNames)) {
                    error = "line " + std::to_string(number) + ": unknown command " + both;
                    return false;
                }
                continue;
            }
            word.text = both;
            line.tokens.erase(line.tokens.begin() + static_cast<long>(t) + 1);
        }
        parsed.push_back(std::move(line));
    }
    try {
        program = Parser(std::move(parsed)).All();
    } catch (const ParseFailure& failure) {
        error = failure.message;
        return false;
    }
    return true;
}

} // namespace script
