#include "station/IdentityFields.h"

#include "core/CodePages.h"

const IdentityField kIdentityFields[kIdentityFieldCount] = {
    {"camera_id", "--camera-id", InputField::CameraId, &IdentityTexts::cameraId},
    {"user_id", "--user-id", InputField::UserId, &IdentityTexts::userId},
    {"user_name", "--user-name", InputField::UserName, &IdentityTexts::userName},
    {"department_id", "--department-id", InputField::DepartmentId, &IdentityTexts::departmentId},
    {"department_name", "--department-name", InputField::DepartmentName, &IdentityTexts::departmentName},
};

namespace {

std::string Utf8(const WideString& text)
{
    return EncodeUtf8(text.data(), text.size());
}

// Free text is quoted in the human line; IDs are letters and digits.
bool IsQuoted(const IdentityField& field)
{
    return RuleOf(field.field).mode != AlnumOnly;
}

}  // namespace

const IdentityField* IdentityFieldOf(InputField field)
{
    for (const IdentityField& identity : kIdentityFields) {
        if (identity.field == field) {
            return &identity;
        }
    }
    return nullptr;
}

nlohmann::ordered_json IdentityJson(const IdentityRecord& record)
{
    const IdentityTexts texts = ParseIdentityRecord(record);
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const IdentityField& field : kIdentityFields) {
        object[field.key] = Utf8(texts.*field.text);
    }
    return object;
}

std::string IdentityLine(const IdentityRecord& record)
{
    const IdentityTexts texts = ParseIdentityRecord(record);
    std::string line;
    for (const IdentityField& field : kIdentityFields) {
        const char* quote = IsQuoted(field) ? "\"" : "";
        line.append(line.empty() ? "" : " ").append(field.key).append("=").append(quote);
        line.append(Utf8(texts.*field.text)).append(quote);
    }
    return line;
}
