// What the tool says when a value breaks a field's rule.
#pragma once

#include <string>

#include "core/FieldRules.h"

// "camera_id "CAM01" must be exactly 7 letters or digits", and the like.
// A password's value is never repeated.
std::string FieldMessage(InputField field, const std::string& value, FieldProblem problem);

std::string SerialMessage();
