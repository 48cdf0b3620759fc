#include "config/ConfigValues.h"

#include "config/ConfigFields.h"

#include <string>

namespace config {

ConfigValues ConfigValues::fromSettings(const Settings& settings)
{
    ConfigValues values;
    for (const auto& field : configFields()) {
        std::string& value = values.*field.value;
        switch (field.kind) {
        case FieldKind::Text:
        case FieldKind::Secret:
            value = settings.*field.text;
            break;
        case FieldKind::Number16:
            value = std::to_string(settings.*field.number16);
            break;
        case FieldKind::Number8:
            value = std::to_string(settings.*field.number8);
            break;
        }
    }
    return values;
}

} // namespace config
