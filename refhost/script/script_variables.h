// A script's variables: one slot per name (names are not case sensitive), kept across the blocks
// of one guide so that a later block sees what an earlier one set.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "script_syntax.h"

namespace script {

struct Value {
    ValueType type = ValueType::Integer;
    int32_t integer = 0;
    float real = 0.0f;
    std::string text;
};

struct ScriptVariables {
    std::map<std::string, int> slots; // lower-case name -> index into values
    std::vector<Value> values;
};

// The slot of variable `name`, made (0, 0.0 or "" by its type) when new.
int VariableSlot(ScriptVariables& variables, const std::string& name);
// The variable's value, or null when no line has used it.
Value* FindVariable(ScriptVariables& variables, const std::string& name);
// Sets a variable from the host's side (the type follows the name: an integer name truncates).
void SetVariable(ScriptVariables& variables, const std::string& name, double value);

} // namespace script
