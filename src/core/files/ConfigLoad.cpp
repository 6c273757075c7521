#include "core/files/ConfigLoad.h"

#include "core/config/ConfigJson.h"
#include "core/config/Fields.h"

namespace kvt {

LoadedConfiguration parseConfiguration(std::string_view bytes, Lang lang) {
    LoadedConfiguration loaded;
    const auto first = bytes.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && bytes[first] == '{') {
        const auto json = OrderedJson::parse(bytes, nullptr, false);
        if (json.is_discarded()) {
            loaded.jsonError = "not valid JSON";
            return loaded;
        }
        const std::string kindKey(fieldKey(FieldId::Kind));
        const ConfigKind kind =
            json.contains(kindKey) && json[kindKey] == 1 ? kBackgroundConfig : kUserConfig;
        auto parsed = configurationFromJson(json, newConfiguration(kind), kind, &loaded.jsonError);
        if (!parsed) {
            if (loaded.jsonError.empty()) loaded.jsonError = "not a configuration";
            return loaded;
        }
        loaded.config = std::move(parsed->config);
        loaded.kind = parsed->kind;
        loaded.issues = validate(loaded.config, loaded.kind);
        return loaded;
    }
    ParsedConfigFile parsed = readConfigFile(bytes, lang);
    loaded.issues = fileIssues(parsed);
    loaded.config = std::move(parsed.config);
    loaded.kind = parsed.kind;
    return loaded;
}

LoadedConfiguration loadConfiguration(const std::string& path, Lang lang) {
    std::string bytes;
    const FileReadStatus read = readWholeFile(path, bytes);
    if (read != FileReadStatus::Ok) {
        LoadedConfiguration failed;
        failed.read = read;
        return failed;
    }
    return parseConfiguration(bytes, lang);
}

}  // namespace kvt
