#include "script_variables.h"

namespace script {

int VariableSlot(ScriptVariables& variables, const std::string& name)
{
    const auto [place, added] = variables.slots.try_emplace(Lower(name), static_cast<int>(variables.values.size()));
    if (added) {
        Value value;
        value.type = TypeOfName(name);
        variables.values.push_back(value);
    }
    return place->second;
}

Value* FindVariable(ScriptVariables& variables, const std::string& name)
{
    const auto place = variables.slots.find(Lower(name));
    return place == variables.slots.end() ? nullptr : &variables.values[static_cast<size_t>(place->second)];
}

void SetVariable(ScriptVariables& variables, const std::string& name, double value)
{
    Value& v = variables.values[static_cast<size_t>(VariableSlot(variables, name))];
    if (v.type == ValueType::Float)
        v.real = static_cast<float>(value);
    else
        v.integer = static_cast<int32_t>(value);
}

} // namespace script
