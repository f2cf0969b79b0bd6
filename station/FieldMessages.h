// What the tool says when a value breaks a rule. Every limit it names comes
// from the rule itself.
#pragma once

#include <string>

#include "core/FieldRules.h"

// `camera_id "CAM01" must be exactly 7 letters or digits`, and the like. A
// password's value is never repeated; any other is quoted, cut at 64
// characters.
std::string FieldMessage(InputField field, const std::string& value, FieldProblem problem);

// What a value of `field` must be: "exactly 7 letters or digits".
std::string RuleText(InputField field);

// What a serial number must be.
std::string SerialRuleText();
std::string SerialMessage();
