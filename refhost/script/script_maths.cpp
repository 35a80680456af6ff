#include "script_maths.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

namespace script {

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

const MathsFunction kFunctions[] = {
    {"sin", 1, MathsFunction::Result::Float},   {"cos", 1, MathsFunction::Result::Float},
    {"tan", 1, MathsFunction::Result::Float},   {"asin", 1, MathsFunction::Result::Float},
    {"acos", 1, MathsFunction::Result::Float},  {"atan", 1, MathsFunction::Result::Float},
    {"atan2", 2, MathsFunction::Result::Float}, {"sqrt", 1, MathsFunction::Result::Float},
    {"exp", 1, MathsFunction::Result::Float},   {"log", 1, MathsFunction::Result::Float},
    {"abs", 1, MathsFunction::Result::LikeArgument}, {"int", 1, MathsFunction::Result::Integer},
};

double Number(const Value& v) { return v.type == ValueType::Float ? v.real : v.integer; }

double Evaluate(const std::string& name, const Value* a)
{
    const double x = Number(a[0]);
    if (name == "sin") return std::sin(x * kRadiansPerDegree);
    if (name == "cos") return std::cos(x * kRadiansPerDegree);
    if (name == "tan") return std::tan(x * kRadiansPerDegree);
    if (name == "asin") return std::asin(x) / kRadiansPerDegree;
    if (name == "acos") return std::acos(x) / kRadiansPerDegree;
    if (name == "atan") return std::atan(x) / kRadiansPerDegree;
    if (name == "atan2") return std::atan2(x, Number(a[1])) / kRadiansPerDegree;
    if (name == "sqrt") return std::sqrt(x);
    if (name == "exp") return std::exp(x);
    if (name == "log") return std::log(x);
    return std::fabs(x); // abs
}

} // namespace

int FindMathsFunction(const std::string& lowerName)
{
    for (size_t i = 0; i < std::size(kFunctions); ++i)
        if (lowerName == kFunctions[i].name)
            return static_cast<int>(i);
    return -1;
}

const MathsFunction& MathsFunctionAt(int index) { return kFunctions[index]; }

Value CallMaths(int index, const Value* arguments)
{
    const MathsFunction& f = kFunctions[index];
    Value result;
    const bool integer = f.result == MathsFunction::Result::Integer ||
                         (f.result == MathsFunction::Result::LikeArgument && arguments[0].type == ValueType::Integer);
    if (f.result == MathsFunction::Result::Integer) {
        // Toward zero, as assigning a float to an integer variable does.
        result.integer = static_cast<int32_t>(Number(arguments[0]));
    } else if (integer) {
        result.integer = arguments[0].integer < 0 ? -arguments[0].integer : arguments[0].integer;
    } else {
        result.type = ValueType::Float;
        result.real = static_cast<float>(Evaluate(f.name, arguments));
    }
    return result;
}

} // namespace script
