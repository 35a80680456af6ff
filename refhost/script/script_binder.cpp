#include "script_binder.h"

#include "script_maths.h"

namespace script {

namespace {

const char* TypeName(ValueType type)
{
    return type == ValueType::Integer ? "an integer" : type == ValueType::Float ? "a float" : "a string";
}

const char* LetterName(char letter) { return letter == 'L' ? "an integer" : letter == 'F' ? "a float" : "a string"; }

bool Numeric(ValueType type) { return type != ValueType::String; }

// Where a row with the parameter letters `types` refuses the values given to it: the index of the
// first value of a type its letter does not take, or types.size() when it takes them all. An
// integer row takes an integer, a float row a number, a string row a string.
size_t FirstRefused(const std::string& types, const std::vector<Expression>& values)
{
    for (size_t i = 0; i < types.size() && i < values.size(); ++i) {
        const ValueType given = values[i].type;
        const bool takes = (types[i] == 'L' && given == ValueType::Integer) || (types[i] == 'F' && Numeric(given)) ||
                           (types[i] == 'S' && given == ValueType::String);
        if (!takes)
            return i;
    }
    return types.size();
}

// How many integers given to the row are turned into floats for it.
int Conversions(const std::string& types, const std::vector<Expression>& values)
{
    int conversions = 0;
    for (size_t i = 0; i < types.size() && i < values.size(); ++i)
        conversions += types[i] == 'F' && values[i].type == ValueType::Integer ? 1 : 0;
    return conversions;
}

struct BindFailure {
    std::string message;
};

class Binder {
public:
    Binder(const CommandIndex& commands, ScriptVariables& variables) : commands_(commands), variables_(variables) {}

    void Statements(std::vector<Statement>& statements)
    {
        for (Statement& s : statements)
            One(s);
    }

private:
    [[noreturn]] static void Fail(int line, const std::string& message)
    {
        throw BindFailure{"line " + std::to_string(line) + ": " + message};
    }

    void One(Statement& s)
    {
        switch (s.kind) {
        case Statement::Kind::Assign:
        case Statement::Kind::For: {
            NotACommandName(s.text, s.line);
            s.slot = VariableSlot(variables_, s.text);
            s.type = TypeOfName(s.text);
            for (Expression& e : s.expressions) {
                Bind(e);
                if (Numeric(s.type) != Numeric(e.type))
                    Fail(s.line, std::string(TypeName(e.type)) + " cannot be stored in " + s.text + ", which holds " +
                                     (s.type == ValueType::String ? "text" : "numbers"));
            }
            if (s.kind == Statement::Kind::For && s.type == ValueType::String)
                Fail(s.line, "a for loop counts with a number variable, not " + s.text);
            // An integer counter would keep a fractional step's whole part, 0 for step 0.5, and never
            // reach its last value.
            if (s.kind == Statement::Kind::For && s.type == ValueType::Integer && s.expressions.size() > 2 &&
                s.expressions[2].type == ValueType::Float)
                Fail(s.line, s.text + " counts in whole numbers and cannot step by a float: count with " + s.text +
                                 "# or give a whole step (int() makes one)");
            break;
        }
        case Statement::Kind::Command:
            Call(s.expressions[0], false);
            break;
        case Statement::Kind::If:
        case Statement::Kind::While:
        case Statement::Kind::Repeat:
            for (Expression& e : s.expressions) {
                Bind(e);
                if (!Numeric(e.type))
                    Fail(s.line, "a condition must be a number, not a string");
            }
            break;
        default:
            break;
        }
        for (std::vector<Statement>& body : s.bodies)
            Statements(body);
    }

    void NotACommandName(const std::string& name, int line)
    {
        const std::string lower = Lower(name);
        if (commands_.rows.count(lower))
            Fail(line, name + " is a command, not a variable: a value needs parentheses, " + name + "(...)");
        if (FindMathsFunction(lower) >= 0)
            Fail(line, name + " is a maths function, not a variable: " + name + "(...)");
        for (const std::string& prefix : commands_.prefixes)
            if (lower.starts_with(prefix))
                Fail(line, "unknown command " + name + " (a name starting " + name.substr(0, prefix.size()) +
                               " is taken for a command)");
    }

    void Bind(Expression& e)
    {
        switch (e.kind) {
        case Expression::Kind::Integer: e.type = ValueType::Integer; return;
        case Expression::Kind::Float: e.type = ValueType::Float; return;
        case Expression::Kind::String: e.type = ValueType::String; return;
        case Expression::Kind::Variable:
            NotACommandName(e.text, e.line);
            e.slot = VariableSlot(variables_, e.text);
            e.type = TypeOfName(e.text);
            return;
        case Expression::Kind::Unary:
            Bind(e.operands[0]);
            if (!Numeric(e.operands[0].type))
                Fail(e.line, "a string cannot be negated");
            e.type = e.op == Operator::Not ? ValueType::Integer : e.operands[0].type;
            return;
        case Expression::Kind::Binary:
            Binary(e);
            return;
        case Expression::Kind::Call:
            Call(e, true);
            return;
        }
    }

    void Binary(Expression& e)
    {
        Bind(e.operands[0]);
        Bind(e.operands[1]);
        const ValueType a = e.operands[0].type, b = e.operands[1].type;
        const bool strings = a == ValueType::String && b == ValueType::String;
        if (!strings && (!Numeric(a) || !Numeric(b)))
            Fail(e.line, std::string("a string and a number cannot be combined (") + TypeName(a) + " and " + TypeName(b) + ")");
        switch (e.op) {
        case Operator::Equal: case Operator::NotEqual: case Operator::Less:
        case Operator::LessEqual: case Operator::Greater: case Operator::GreaterEqual:
            e.type = ValueType::Integer;
            return;
        case Operator::Add:
            e.type = strings ? ValueType::String : a == ValueType::Float || b == ValueType::Float ? ValueType::Float : ValueType::Integer;
            return;
        default:
            if (strings)
                Fail(e.line, "strings can only be joined with + and compared");
            if (e.op == Operator::And || e.op == Operator::Or || e.op == Operator::Xor)
                e.type = ValueType::Integer;
            else
                e.type = a == ValueType::Float || b == ValueType::Float ? ValueType::Float : ValueType::Integer;
        }
    }

    void Call(Expression& e, bool asValue)
    {
        for (Expression& argument : e.operands)
            Bind(argument);
        const std::string name = Lower(e.text);
        const int maths = FindMathsFunction(name);
        if (maths >= 0) {
            const MathsFunction& f = MathsFunctionAt(maths);
            if (!asValue)
                Fail(e.line, e.text + " gives a value; a line cannot start with it");
            if (static_cast<int>(e.operands.size()) != f.arguments)
                Fail(e.line, e.text + " takes " + std::to_string(f.arguments) + " values, not " + std::to_string(e.operands.size()));
            for (const Expression& argument : e.operands)
                if (!Numeric(argument.type))
                    Fail(e.line, e.text + " takes numbers, not a string");
            e.maths = maths;
            e.type = f.result == MathsFunction::Result::Float   ? ValueType::Float
                     : f.result == MathsFunction::Result::Integer ? ValueType::Integer
                                                                  : e.operands[0].type;
            return;
        }
        const auto found = commands_.rows.find(name);
        if (found == commands_.rows.end())
            Fail(e.line, "unknown command " + e.text);
        std::vector<const refhost::CommandEntry*> form;
        for (const refhost::CommandEntry* row : found->second)
            if (row->returnsValue == asValue)
                form.push_back(row);
        if (form.empty())
            Fail(e.line, asValue ? e.text + " gives no value and cannot be used as one"
                                 : e.text + " gives a value: use it as one, x = " + e.text + "(...)");
        // Of the rows taking this many values, the one needing the fewest integer-to-float
        // conversions; the first such row on a tie.
        const refhost::CommandEntry* chosen = nullptr;
        const refhost::CommandEntry* sameCount = nullptr;
        int fewest = 0;
        std::set<size_t> counts;
        for (const refhost::CommandEntry* row : form) {
            const std::string types = ParameterTypes(*row);
            counts.insert(types.size());
            if (types.size() != e.operands.size())
                continue;
            if (!sameCount)
                sameCount = row;
            if (FirstRefused(types, e.operands) != types.size())
                continue;
            const int conversions = Conversions(types, e.operands);
            if (!chosen || conversions < fewest) {
                chosen = row;
                fewest = conversions;
            }
        }
        if (!sameCount) {
            std::string taken;
            for (size_t count : counts)
                taken += (taken.empty() ? "" : " or ") + std::to_string(count);
            Fail(e.line, e.text + " takes " + taken + " values, not " + std::to_string(e.operands.size()));
        }
        if (!chosen) {
            const std::string types = ParameterTypes(*sameCount);
            const size_t i = FirstRefused(types, e.operands);
            const ValueType given = e.operands[i].type;
            const bool wantsWhole = types[i] == 'L' && given == ValueType::Float;
            Fail(e.line, "value " + std::to_string(i + 1) + " of " + e.text + " is " + TypeName(given) + " where " +
                             LetterName(types[i]) + " is taken" +
                             (wantsWhole ? " (int() makes a whole number of it)" : ""));
        }
        e.command = chosen;
        e.type = !asValue ? ValueType::Integer : chosen->types[0] == 'F' ? ValueType::Float : ValueType::Integer;
    }

    const CommandIndex& commands_;
    ScriptVariables& variables_;
};

} // namespace

CommandIndex IndexCommands(const std::vector<refhost::CommandEntry>& commands)
{
    CommandIndex index;
    for (const refhost::CommandEntry& row : commands) {
        const std::string name = Lower(row.name);
        index.rows[name].push_back(&row);
        if (name.find(' ') != std::string::npos)
            index.spacedNames.insert(name);
        else if (name.find('_') != std::string::npos)
            index.prefixes.insert(name.substr(0, name.find('_') + 1));
    }
    return index;
}

std::string ParameterTypes(const refhost::CommandEntry& row)
{
    if (row.types == "0")
        return "";
    return row.returnsValue ? row.types.substr(1) : row.types;
}

bool BindScript(Program& program, const CommandIndex& commands, ScriptVariables& variables, std::string& error)
{
    try {
        Binder(commands, variables).Statements(program);
    } catch (const BindFailure& failure) {
        error = failure.message;
        return false;
    }
    return true;
}

} // namespace script
