// The maths functions scripts call by name. Angles are in degrees, as everywhere in scripts.
#pragma once

#include <string>

#include "script_variables.h"

namespace script {

struct MathsFunction {
    const char* name;
    int arguments;
    // What it gives: a float, an integer, or the type of its (first) argument.
    enum class Result { Float, Integer, LikeArgument } result;
};

// The function's index for a lower-case name, or -1.
int FindMathsFunction(const std::string& lowerName);
const MathsFunction& MathsFunctionAt(int index);
// Calls function `index` with its numeric arguments.
Value CallMaths(int index, const Value* arguments);

} // namespace script
