// Form and query texts, control fields and account lines as the centre reads them.
#include "bvcentre/ControlEndpoint.h"
#include "bvcentre/FormCodec.h"
#include "bvcentre/UploadQuery.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv::testing;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const FormFields fields = parseForm(text);
    for (const auto& [name, value] : fields) {
        escapeForDump(name);
        escapeHtml(value);
        javaScriptString(value);
    }
    if (formDecode(formEncode(text)) != text) {
        __builtin_trap();
    }
    uploadQueryFault(fields);
    std::string path, error;
    ScriptedReply reply;
    parseScriptForm(fields, path, reply, error);
    parseAccountPlan(text, error);
    return 0;
}
