#include "discovery/reference_file.h"

#include "config/text_rules.h"
#include "platform/text_file.h"

namespace launcher {

int readProperty(FileReader& files, const std::string& path, const std::string& key, std::string& output) {
    std::unique_ptr<TextLineReader> reader = openTextFile(files, path);
    if (!reader) return -1;
    output.clear();
    std::string_view line;
    std::string lineKey;
    std::string value;
    // Keys are compared exactly as written; a line without a key is passed over.
    while (reader->nextLine(line)) {
        if (splitKeyValue(line, lineKey, value) == 0 && lineKey == key) {
            output = value;
            return 0;
        }
    }
    return -1;
}

}  // namespace launcher
