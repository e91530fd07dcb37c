// A path taken apart as the file dialogs and the caption need it: "/" and
// "\" both end a folder (names from the old program's files use "\").
#pragma once

#include <string>
#include <string_view>

namespace ravx {

struct FolderAndName {
    std::string folder;  // with its last separator; empty for a bare name
    std::string name;
};

inline FolderAndName SplitFolder(const std::string& path)
{
    constexpr std::string_view kFolderSeparators = "/\\";
    const size_t cut = path.find_last_of(kFolderSeparators);
    const size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    return {path.substr(0, nameStart), path.substr(nameStart)};
}

}  // namespace ravx
