#include "ui/HelpTopic.h"

std::wstring helpTopicPath(std::wstring iniPath, std::wstring_view topicSuffix) {
    constexpr std::wstring_view kIniExtension = L".ini";
    for (size_t at = iniPath.find(kIniExtension); at != std::wstring::npos;
         at = iniPath.find(kIniExtension, at + topicSuffix.size())) {
        iniPath.replace(at, kIniExtension.size(), topicSuffix);
    }
    return iniPath;
}
