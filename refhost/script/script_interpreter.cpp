#include "script_interpreter.h"

#include <bit>
#include <cmath>

#include "command_call.h"
#include "plugin_loader.h"
#include "script_binder.h"
#include "script_maths.h"

namespace script {

namespace {

enum class Flow { Next, Exit, End, Failed };

double Number(const Value& v) { return v.type == ValueType::Float ? v.real : v.integer; }
bool True(const Value& v) { return v.type == ValueType::Float ? v.real != 0.0f : v.integer != 0; }

Value Integer(int64_t n)
{
    Value v;
    v.integer = static_cast<int32_t>(static_cast<uint32_t>(n)); // wraps as 32-bit integers do
    return v;
}

Value Float(double x)
{
    Value v;
    v.type = ValueType::Float;
    v.real = static_cast<float>(x);
    return v;
}

// `value` as a variable of `type` holds it: a float stored in an integer goes toward zero.
Value Stored(ValueType type, Value value)
{
    if (type == ValueType::Integer && value.type == ValueType::Float)
        return Integer(static_cast<int64_t>(value.real));
    if (type == ValueType::Float && value.type == ValueType::Integer)
        return Float(value.integer);
    return value;
}

class Interpreter {
public:
    Interpreter(ScriptVariables& variables, const HostSteps& hostSteps) : variables_(variables), hostSteps_(hostSteps) {}

    Flow Statements(const std::vector<Statement>& statements)
    {
        for (const Statement& s : statements) {
            const Flow flow = One(s);
            if (flow != Flow::Next)
                return flow;
        }
        return Flow::Next;
    }

    std::string error;

private:
    Flow Failed(int line, const std::string& message)
    {
        if (error.empty())
            error = "line " + std::to_string(line) + ": " + message;
        return Flow::Failed;
    }

    Flow One(const Statement& s)
    {
        switch (s.kind) {
        case Statement::Kind::Assign: {
            Value value = Evaluate(s.expressions[0]);
            if (!error.empty())
                return Flow::Failed;
            variables_.values[static_cast<size_t>(s.slot)] = Stored(s.type, std::move(value));
            return Flow::Next;
        }
        case Statement::Kind::Command:
            Evaluate(s.expressions[0]);
            return error.empty() ? Flow::Next : Flow::Failed;
        case Statement::Kind::If:
            for (size_t branch = 0; branch < s.bodies.size(); ++branch) {
                if (branch < s.expressions.size()) {
                    const Value condition = Evaluate(s.expressions[branch]);
                    if (!error.empty())
                        return Flow::Failed;
                    if (!True(condition))
                        continue;
                }
                return Statements(s.bodies[branch]);
            }
            return Flow::Next;
        case Statement::Kind::For:
            return For(s);
        case Statement::Kind::Do:
        case Statement::Kind::While:
        case Statement::Kind::Repeat:
            while (true) {
                if (s.kind == Statement::Kind::While) {
                    const Value condition = Evaluate(s.expressions[0]);
                    if (!error.empty())
                        return Flow::Failed;
                    if (!True(condition))
                        return Flow::Next;
                }
                const Flow flow = Statements(s.bodies[0]);
                if (flow == Flow::Exit)
                    return Flow::Next;
                if (flow != Flow::Next)
                    return flow;
                if (s.kind == Statement::Kind::Repeat) {
                    const Value condition = Evaluate(s.expressions[0]);
                    if (!error.empty())
                        return Flow::Failed;
                    if (True(condition))
                        return Flow::Next;
                }
            }
        case Statement::Kind::Exit:
            return Flow::Exit;
        case Statement::Kind::End:
            return Flow::End;
        case Statement::Kind::HostStep: {
            if (!hostSteps_)
                return Flow::Next;
            std::string message;
            switch (hostSteps_(s, variables_, message)) {
            case HostStepAnswer::Done: return Flow::Next;
            case HostStepAnswer::LeaveLoop: return Flow::Exit;
            case HostStepAnswer::Refused: return Failed(s.line, message);
            }
        }
        }
        return Flow::Next;
    }

    // The first, last and step are worked out once; the variable is compared with the last before
    // each pass and the step added after it. A step that does not move the counter (0, or a float
    // too small to change it) would repeat the loop for ever: the script stops with a message.
    Flow For(const Statement& s)
    {
        const Value first = Evaluate(s.expressions[0]);
        const Value last = Evaluate(s.expressions[1]);
        const Value step = s.expressions.size() > 2 ? Evaluate(s.expressions[2]) : Integer(1);
        if (!error.empty())
            return Flow::Failed;
        const double limit = Number(last), by = Number(step);
        if (by == 0)
            return Failed(s.line, "the step of 'for " + s.text + "' is 0, so the loop would never end");
        Value& counter = variables_.values[static_cast<size_t>(s.slot)];
        counter = Stored(s.type, first);
        while (by > 0 ? Number(counter) <= limit : Number(counter) >= limit) {
            const Flow flow = Statements(s.bodies[0]);
            if (flow == Flow::Exit)
                return Flow::Next;
            if (flow != Flow::Next)
                return flow;
            Value& now = variables_.values[static_cast<size_t>(s.slot)];
            if (now.type == ValueType::Float) {
                // Compared as stored: an x87 register holds the sum with more precision than the float.
                const uint32_t before = std::bit_cast<uint32_t>(now.real);
                now.real += static_cast<float>(by);
                if (std::bit_cast<uint32_t>(now.real) == before)
                    return Failed(s.line, "the step of 'for " + s.text +
                                              "' is too small to move it, so the loop would never end");
                continue;
            }
            // Counting past the largest or smallest integer would start again from the other end.
            const int64_t next = static_cast<int64_t>(now.integer) + static_cast<int64_t>(by);
            if (next > INT32_MAX || next < INT32_MIN)
                return Flow::Next;
            now.integer = static_cast<int32_t>(next);
        }
        return Flow::Next;
    }

    Value Evaluate(const Expression& e)
    {
        switch (e.kind) {
        case Expression::Kind::Integer: return Integer(e.integer);
        case Expression::Kind::Float: return Float(e.real);
        case Expression::Kind::String: {
            Value v;
            v.type = ValueType::String;
            v.text = e.text;
            return v;
        }
        case Expression::Kind::Variable: return variables_.values[static_cast<size_t>(e.slot)];
        case Expression::Kind::Unary: {
            const Value a = Evaluate(e.operands[0]);
            if (e.op == Operator::Not)
                return Integer(True(a) ? 0 : 1);
            return a.type == ValueType::Float ? Float(-a.real) : Integer(-static_cast<int64_t>(a.integer));
        }
        case Expression::Kind::Binary: return Binary(e);
        case Expression::Kind::Call: return e.maths >= 0 ? Maths(e) : Command(e);
        }
        return {};
    }

    Value Binary(const Expression& e)
    {
        const Value a = Evaluate(e.operands[0]);
        const Value b = Evaluate(e.operands[1]);
        if (a.type == ValueType::String) {
            switch (e.op) {
            case Operator::Add: { Value v = a; v.text += b.text; return v; }
            case Operator::Equal: return Integer(a.text == b.text);
            case Operator::NotEqual: return Integer(a.text != b.text);
            case Operator::Less: return Integer(a.text < b.text);
            case Operator::LessEqual: return Integer(a.text <= b.text);
            case Operator::Greater: return Integer(a.text > b.text);
            default: return Integer(a.text >= b.text);
            }
        }
        const bool real = a.type == ValueType::Float || b.type == ValueType::Float;
        const double x = Number(a), y = Number(b);
        const int64_t i = a.integer, j = b.integer;
        switch (e.op) {
        case Operator::Add: return real ? Float(x + y) : Integer(i + j);
        case Operator::Subtract: return real ? Float(x - y) : Integer(i - j);
        case Operator::Multiply: return real ? Float(x * y) : Integer(i * j);
        case Operator::Divide:
        case Operator::Modulo:
            if (!real && j == 0) {
                Failed(e.line, "division by zero");
                return {};
            }
            if (e.op == Operator::Divide)
                return real ? Float(x / y) : Integer(i / j);
            return real ? Float(std::fmod(x, y)) : Integer(i % j);
        case Operator::Power: return real ? Float(std::pow(x, y)) : Integer(static_cast<int64_t>(std::pow(x, y)));
        case Operator::Equal: return Integer(x == y);
        case Operator::NotEqual: return Integer(x != y);
        case Operator::Less: return Integer(x < y);
        case Operator::LessEqual: return Integer(x <= y);
        case Operator::Greater: return Integer(x > y);
        case Operator::GreaterEqual: return Integer(x >= y);
        case Operator::And: return Integer(True(a) && True(b));
        case Operator::Or: return Integer(True(a) || True(b));
        case Operator::Xor: return Integer(True(a) != True(b));
        default: return {};
        }
    }

    Value Maths(const Expression& e)
    {
        Value arguments[2];
        for (size_t i = 0; i < e.operands.size() && i < 2; ++i)
            arguments[i] = Evaluate(e.operands[i]);
        return CallMaths(e.maths, arguments);
    }

    // One 32-bit value per parameter letter: an integer given to an F parameter becomes a float; a
    // string is handed over as the address of its characters, alive until the command returns.
    Value Command(const Expression& e)
    {
        const std::string types = ParameterTypes(*e.command);
        std::vector<Value> given;
        given.reserve(e.operands.size());
        for (const Expression& operand : e.operands)
            given.push_back(Evaluate(operand));
        if (!error.empty())
            return {};
        uint32_t values[kMostCommandValues] = {};
        for (size_t i = 0; i < given.size() && i < kMostCommandValues; ++i) {
            const Value& v = given[i];
            if (types[i] == 'F')
                values[i] = std::bit_cast<uint32_t>(v.type == ValueType::Float ? v.real : static_cast<float>(v.integer));
            else if (types[i] == 'S')
                values[i] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(v.text.c_str()));
            else
                values[i] = static_cast<uint32_t>(v.integer);
        }
        const uint32_t result = CallCommandExport(e.command->function, values);
        if (e.type == ValueType::Float)
            return Float(std::bit_cast<float>(result));
        return Integer(static_cast<int32_t>(result));
    }

    ScriptVariables& variables_;
    const HostSteps& hostSteps_;
};

} // namespace

RunResult RunScript(const Program& program, ScriptVariables& variables, const HostSteps& hostSteps)
{
    Interpreter interpreter(variables, hostSteps);
    const Flow flow = interpreter.Statements(program);
    RunResult result;
    result.ok = flow != Flow::Failed;
    result.ended = flow == Flow::End;
    result.error = interpreter.error;
    return result;
}

} // namespace script
