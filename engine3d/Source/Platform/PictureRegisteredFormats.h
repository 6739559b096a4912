// The picture-format registry: which graphic class reads files of a given extension.
#pragma once

#include "BaseClasses.h"

#include <string>
#include <vector>

namespace engine3d {

struct TPictureFormat {
    std::string Extension; // without the dot, as registered
    std::string Description;
    TClass GraphicClass;
};

// A later registration of the same extension (case-insensitive) replaces the earlier one.
void RegisterPictureFormat(const std::string& extension, const std::string& description, TClass graphicClass);
void UnregisterPictureFormat(TClass graphicClass);
// The registered formats as lines "extension=description", each carrying its class.
std::vector<TPictureFormat> ListPictureFormats();
// A leading "." is dropped and case is ignored; nullptr for none or an empty argument.
TClass GraphicClassForExtension(const std::string& extension);

} // namespace engine3d
