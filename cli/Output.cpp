#include "cli/Output.h"

#include "cli/Platform.h"
#include "core/CodePages.h"
#include "core/IdentityCodec.h"

namespace {

std::string Utf8(const WideString& text)
{
    return EncodeUtf8(text.data(), text.size());
}

}  // namespace

void Output::Result(const nlohmann::ordered_json& object, const std::string& humanLine) const
{
    platform::WriteOutput(json_ ? JsonLine(object) : humanLine + "\n");
}

void Output::Error(const std::string& message) const
{
    platform::WriteError("orvanectl: " + message + "\n");
}

nlohmann::ordered_json IdentityJson(const IdentityRecord& record)
{
    const IdentityTexts texts = ParseIdentityRecord(record);
    return {{"camera_id", Utf8(texts.cameraId)},
            {"user_id", Utf8(texts.userId)},
            {"user_name", Utf8(texts.userName)},
            {"department_id", Utf8(texts.departmentId)},
            {"department_name", Utf8(texts.departmentName)}};
}

std::string IdentityLine(const IdentityRecord& record)
{
    const IdentityTexts texts = ParseIdentityRecord(record);
    return "camera_id=" + Utf8(texts.cameraId) + " user_id=" + Utf8(texts.userId) + " user_name=\""
           + Utf8(texts.userName) + "\" department_id=" + Utf8(texts.departmentId) + " department_name=\""
           + Utf8(texts.departmentName) + "\"";
}

std::string JsonLine(const nlohmann::ordered_json& object)
{
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}
